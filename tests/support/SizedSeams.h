#pragma once
// The part of the container and the surface that keeps the control's size,
// with a surface of 15 twips a pixel: what fakes that only count or ignore
// the drawing have in common.

#include "component/seams/Canvas.h"
#include "component/seams/ContainerServices.h"

namespace pelzorvick::test {

template <class Seam>
class Sized : public Seam {
 public:
  float Width() override { return width; }
  float Height() override { return height; }
  void SetWidth(float twips) override { width = twips; }
  void SetHeight(float twips) override { height = twips; }

  float width = 0, height = 0;
};

class SizedContainer : public Sized<ContainerServices> {
 public:
  SizedContainer() {
    width = 1500;
    height = 600;
  }
  void SetScaleWidth(float) override {}
  void SetScaleHeight(float) override {}
};

class SizedCanvas : public Sized<Canvas> {
 public:
  float HimetricToTwipsX(float himetric) override { return himetric * 1440 / 2540; }
  float HimetricToTwipsY(float himetric) override { return himetric * 1440 / 2540; }
  float TwipsPerPixelX() override { return 15; }
  float TwipsPerPixelY() override { return 15; }
};

}  // namespace pelzorvick::test
