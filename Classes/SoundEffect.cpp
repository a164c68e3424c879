#include "Classes/SoundEffect.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Url.h"

namespace vorla {

using platform::media::SystemSound;

std::shared_ptr<SoundEffect> SoundEffect::initWithContentsOfFile(const std::string& path) {
  auto effect = std::make_shared<SoundEffect>(Passkey{});
  // The status of the registration is not examined: a failed one is soundID 0.
  if (auto url = platform::Url::fileURLWithPathIsDirectory(path, false)) {
    effect->soundID_ = SystemSound::AudioServicesCreateSystemSoundID(*url);
  }
  return effect;
}

SoundEffect::~SoundEffect() {
  if (soundID_ == 0) return;
  const auto id = soundID_;
  platform::RunLoop::current().performAfterDelay(
      kDisposeDelay, [id] { SystemSound::AudioServicesDisposeSystemSoundID(id); });
}

void SoundEffect::play() { SystemSound::AudioServicesPlayAlertSound(soundID_); }

void SoundEffect::noVibrate() { SystemSound::AudioServicesPlaySystemSound(soundID_); }

}  // namespace vorla
