#include "client/qt/Sound.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include "client/qt/Resources.h"

namespace tarvendo::client {

Sound::Sound(const QString& url) {
    ensureResources();
    if (QMediaDevices::audioOutputs().isEmpty()) {
        return;
    }
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl(url));
}

Sound::~Sound() = default;

void Sound::play() {
    if (effect_) {
        effect_->play();
    }
}

void Sound::play(float volume) {
    if (effect_) {
        effect_->setVolume(volume);
        effect_->play();
    }
}

}  // namespace tarvendo::client
