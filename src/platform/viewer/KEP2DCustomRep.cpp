#include "platform/viewer/KEP2DCustomRep.h"

#include <QPainter>
#include <cmath>

#include "platform/viewer/KEP2DDrawContext.h"

void KEP2DCustomRep::RemoveAllPrimitives() {
  _primitives.clear();
  Invalidate();
}

KEP2DGraphicPrimitive* KEP2DCustomRep::GetPrimitive(int index) const {
  if (index < 0 || index >= GetPrimitiveCount()) return nullptr;
  return _primitives[static_cast<std::size_t>(index)].get();
}

void KEP2DCustomRep::SetAttributes(const KEP2DGraphicAttributes& attributes) {
  _attributes = attributes;
  Invalidate();
}

void KEP2DCustomRep::Draw(const KEP2DDrawContext& context) const {
  if (_primitives.empty()) return;
  QPainter& painter = context.Painter();
  painter.save();
  // Outlines follow whole pixels: no smoothing, so a one-pixel line stays
  // one pixel wide and grid lines stay sharp.
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(_attributes.colour);
  pen.setWidthF(std::max(0.0f, _attributes.width));
  pen.setCosmetic(true);
  pen.setStyle(_attributes.dashed ? Qt::DashLine : Qt::SolidLine);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  if (_attributes.dashed && _attributes.gapColour.isValid()) {
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(_attributes.gapColour);
  }
  // The primitives work in view units; the translation moves them all.
  KEPMathPoint2Df t = GetTranslation();
  const KEP2DViewMapping& m = context.Mapping();
  painter.translate(t.x * m.GetZoom(), -t.y * m.GetZoom());
  QRect clip = context.Clip().translated(-static_cast<int>(std::lround(t.x * m.GetZoom())),
                                         static_cast<int>(std::lround(t.y * m.GetZoom())));
  for (const auto& primitive : _primitives) {
    primitive->Draw(painter, m, clip, _attributes.filled);
  }
  painter.restore();
}

QRectF KEP2DCustomRep::GetLocalBounds() const {
  QRectF bounds;
  for (const auto& primitive : _primitives) bounds |= primitive->GetBounds();
  return bounds;
}

int KEP2DCustomRep::GetScreenMargin() const {
  return static_cast<int>(std::ceil(_attributes.width * 0.5f)) + 2;
}
