#pragma once
// The ad view every host really gets: a PennantView that owns its controller.

#include <memory>

#include "ads/PennantController.h"
#include "ads/PennantView.h"

namespace pennant {

class PennantViewInternal : public PennantView {
 public:
  static std::shared_ptr<PennantViewInternal> create(platform::graphics::Rect frame);

  const std::shared_ptr<PennantController>& controller() const { return controller_; }
  void setController(std::shared_ptr<PennantController> controller) { controller_ = std::move(controller); }

 private:
  std::shared_ptr<PennantController> controller_;
};

}  // namespace pennant
