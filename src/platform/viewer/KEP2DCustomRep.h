#pragma once

#include <memory>
#include <vector>

#include "platform/viewer/KEP2DGraphicAttributes.h"
#include "platform/viewer/KEP2DGraphicPrimitive.h"
#include "platform/viewer/KEP2DRep.h"

// Outlines drawn over images: rubber bands, selection outlines, the pixel
// grid. It owns its primitives, all stroked with one attribute set. After
// changing a primitive through its pointer, call Invalidate() so that the
// viewer repaints the old and the new place.
class KEP2DCustomRep : public KEP2DRep {
 public:
  KEP2DCustomRep() = default;
  explicit KEP2DCustomRep(const KEP2DGraphicAttributes& attributes) : _attributes(attributes) {}

  // Returns the primitive, still owned by the representation.
  template <class Primitive>
  Primitive* AddPrimitive(std::unique_ptr<Primitive> primitive) {
    Primitive* raw = primitive.get();
    if (raw) {
      _primitives.push_back(std::move(primitive));
      Invalidate();
    }
    return raw;
  }
  void RemoveAllPrimitives();
  int GetPrimitiveCount() const { return static_cast<int>(_primitives.size()); }
  KEP2DGraphicPrimitive* GetPrimitive(int index) const;  // 0-based, null when out of range

  const KEP2DGraphicAttributes& GetAttributes() const { return _attributes; }
  void SetAttributes(const KEP2DGraphicAttributes& attributes);

  void Draw(const KEP2DDrawContext& context) const override;
  QRectF GetLocalBounds() const override;
  int GetScreenMargin() const override;

 private:
  std::vector<std::unique_ptr<KEP2DGraphicPrimitive>> _primitives;
  KEP2DGraphicAttributes _attributes;
};
