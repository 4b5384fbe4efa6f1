#pragma once
// A picture as the core sees it: shared, reference-counted, sized in HIMETRIC.
// The component wraps an OLE picture; tests use a plain fake.

#include <cstdint>
#include <memory>

namespace pelzorvick {

class Picture {
 public:
  virtual ~Picture() = default;
  virtual int32_t Width() const = 0;   // HIMETRIC
  virtual int32_t Height() const = 0;  // HIMETRIC
};

using PicturePtr = std::shared_ptr<Picture>;  // empty means no picture

}  // namespace pelzorvick
