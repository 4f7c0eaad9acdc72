#include "app/config_apply.h"

#include "app/colour_schemes.h"
#include "app/log.h"
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

void ConfigApply::applyConfig(const ConfigFileContents& contents) {
    Trec& rec = s_.w.rec;
    s_.state.ConfigFirstLine = contents.firstLine;
    for (int k = 0; k < kChannelBoxCount; ++k)
        if (TBWCCCheckBox* box = s_.w.dialog.box(kChannelBoxNames[k])) box->setChecked(contents.channelBoxes[k]);
    const ConfigOptions& o = contents.options;
    rec.magnet->setChecked(o.magnet);
    schemes_.applyBorderScheme(o.GreenSilver1);
    setPair(rec.BlackPlay1, rec.WhitePlay1, o.BlackPlay1);
    setPair(rec.BlackRec1, rec.WhiteRec1, o.BlackRec1);
    rec.anim->setChecked(o.anim);
    rec.SmoothShow1->SetTag(o.anim ? 0 : 1);
    restorePlace(&s_.w.play, contents.form1);
    restorePlace(&rec, contents.rec);
}

ConfigValues ConfigApply::currentConfig() const {
    ConfigValues v;
    const Trec& rec = s_.w.rec;
    const TForm1& play = s_.w.play;
    v.firstLine = s_.state.ConfigFirstLine;
    for (int k = 0; k < kChannelBoxCount; ++k) {
        const TBWCCCheckBox* box = s_.w.dialog.box(kChannelBoxNames[k]);
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

void ConfigApply::optionsClick() {
    const ConfigReadResult r = readConfigFile();
    switch (r.status) {
        case ConfigReadResult::Status::NotFound:
            qCInfo(lcConfig) << "no configuration file; the design's states stand";
            return;
        case ConfigReadResult::Status::Failed:
            s_.messages.warning(r.error->message());
            return;
        case ConfigReadResult::Status::Read:
            applyConfig(r.contents);
            return;
    }
}

ConfigSaveResult ConfigApply::saveConfiguration() { return saveConfigFile(currentConfig()); }
