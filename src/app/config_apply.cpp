// The configuration file through the windows: what a read file does to the
// dialog's boxes, the menu checks, the borders, the animation switch and
// the windows' places, and the values a save reads back from them.

#include "app/colour_schemes.h"
#include "app/log.h"
#include "app/mixer_controller.h"
#include "app/user_messages.h"
#include "config/channel_dialog.h"
#include "config/config_file.h"
#include "config/window_placement.h"
#include "controls/smooth_show.h"
#include "play/form1.h"
#include "rec/rec_window.h"
#include "strips/shared_state.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {

QList<QRect> screenAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) areas << screen->availableGeometry();
    return areas;
}

void restorePlace(TavloWindow* window, const StoredPosition& stored) {
    if (auto p = restoredPosition(stored, window->pos(), window->size(), screenAreas())) {
        window->setDesignedPlacement();
        window->move(*p);
    }
}

void setPair(QAction* on, QAction* off, bool first) {
    on->setChecked(first);
    off->setChecked(!first);
}

}  // namespace

void MixerController::applyBorderScheme(bool coloured) { schemes_->applyBorderScheme(coloured); }

void MixerController::applyConfig(const ConfigFileContents& contents) {
    SharedState& s = state_;
    Trec& rec = w_.rec;
    s.ConfigFirstLine = contents.firstLine;
    for (int k = 0; k < kChannelBoxCount; ++k)
        if (TBWCCCheckBox* box = w_.dialog.box(kChannelBoxNames[k])) box->setChecked(contents.channelBoxes[k]);
    const ConfigOptions& o = contents.options;
    rec.magnet->setChecked(o.magnet);
    applyBorderScheme(o.GreenSilver1);
    setPair(rec.BlackPlay1, rec.WhitePlay1, o.BlackPlay1);
    setPair(rec.BlackRec1, rec.WhiteRec1, o.BlackRec1);
    rec.anim->setChecked(o.anim);
    rec.SmoothShow1->SetTag(o.anim ? 0 : 1);
    restorePlace(&w_.play, contents.form1);
    restorePlace(&rec, contents.rec);
}

ConfigValues MixerController::currentConfig() const {
    ConfigValues v;
    const Trec& rec = w_.rec;
    const TForm1& play = w_.play;
    v.firstLine = state_.ConfigFirstLine;
    for (int k = 0; k < kChannelBoxCount; ++k) {
        const TBWCCCheckBox* box = w_.dialog.box(kChannelBoxNames[k]);
        v.channelBoxes[k] = box && box->isChecked();
    }
    v.options = {rec.magnet->isChecked(), rec.GreenSilver1->isChecked(), rec.BlackPlay1->isChecked(),
                 rec.BlackRec1->isChecked(), rec.anim->isChecked()};
    v.form1Left = play.x();
    v.form1Top = play.y();
    v.recLeft = rec.x();
    v.recTop = rec.y();
    return v;
}

void MixerController::optionsClick() {
    const ConfigReadResult r = readConfigFile();
    switch (r.status) {
        case ConfigReadResult::Status::NotFound:
            qCInfo(lcConfig) << "no configuration file; the design's states stand";
            return;
        case ConfigReadResult::Status::Failed:
            messages_.warning(r.error->message());
            return;
        case ConfigReadResult::Status::Read:
            applyConfig(r.contents);
            return;
    }
}

ConfigSaveResult MixerController::saveConfiguration() { return saveConfigFile(currentConfig()); }

bool MixerController::saveClick() {
    lowerMixers();
    const ConfigSaveResult r = saveConfiguration();
    if (r.ok())
        messages_.information(QStringLiteral("Your new configuration is saved..."));
    else
        messages_.warning(r.error->message());
    raiseMixers();
    return r.ok();
}
