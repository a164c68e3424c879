#pragma once
// One short recorded phrase registered with the system-sound service, played
// with a vibration (play) or without (noVibrate). Each button screen makes
// one per button when it builds its view.

#include <memory>
#include <string>

#include "platform/media/SystemSound.h"

namespace vorla {

class SoundEffect {
  struct Passkey {};

 public:
  // The service refuses sounds longer than 30 seconds.
  static constexpr double kDisposeDelay = 31.0;

  // Registers the file at `path`. A file the service cannot register leaves
  // soundID at 0, which plays nothing: the app carries on without sound.
  static std::shared_ptr<SoundEffect> initWithContentsOfFile(const std::string& path);

  explicit SoundEffect(Passkey) {}
  // Gives the registration back so the decoded samples do not pile up when
  // screens are rebuilt and popped over a long session. The phrase must
  // still play to its end when its screen goes away mid-phrase, so the
  // registration is disposed only once the longest sound the service
  // accepts would have finished.
  ~SoundEffect();
  SoundEffect(const SoundEffect&) = delete;
  SoundEffect& operator=(const SoundEffect&) = delete;

  // Sound and vibration.
  void play();
  // Sound only.
  void noVibrate();

  platform::media::SystemSoundID soundID() const { return soundID_; }

 private:
  platform::media::SystemSoundID soundID_ = 0;
};

}  // namespace vorla
