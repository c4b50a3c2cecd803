#pragma once

#include "colour/KEPShadingStep.h"
#include "platform/KEPRawCollPV.h"

// Ordered list of shading steps. It owns only its pointer collection: the
// steps belong to whoever created them (the luminosity analysis keeps them
// as members and refills the list on every sort).
class KEPListPtrKEPShadingStep : public KEPListPtr<KEPShadingStep> {
 public:
  using KEPListPtr<KEPShadingStep>::KEPListPtr;
};
