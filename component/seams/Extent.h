#pragma once
// A size in twips that the control reads and sets: the drawing surface's
// (in the control's inner coordinate system) and the control's own (through
// its container) alike.

namespace pelzorvick {

class Extent {
 public:
  virtual float Width() = 0;
  virtual float Height() = 0;
  virtual void SetWidth(float twips) = 0;
  virtual void SetHeight(float twips) = 0;

 protected:
  ~Extent() = default;  // owned and destroyed as the seam that extends it
};

}  // namespace pelzorvick
