// The configuration file through the windows: what a read file does to the
// dialog's boxes, the menu checks, the borders, the animation switch and
// the windows' places, and the values a save reads back from them.

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
#include "strips/strip_pictures.h"
#include "strips/window_frame.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {

// A border picture shaded across its thickness from `light` to `dark`.
QPixmap shadedBorder(QSize size, bool horizontal, const QColor& light, const QColor& dark) {
    QPixmap p(size.expandedTo({1, 1}));
    QPainter g(&p);
    QLinearGradient shade(0, 0, horizontal ? 0 : size.width(), horizontal ? size.height() : 0);
    shade.setColorAt(0, dark);
    shade.setColorAt(0.5, light);
    shade.setColorAt(1, dark);
    g.fillRect(p.rect(), shade);
    return p;
}

void setBorders(WindowFrame& frame, const QColor& light, const QColor& dark, bool coloured) {
    for (QLabel* piece : {frame.Image1, frame.Image2, frame.Image3, frame.Image4}) {
        const bool horizontal = piece == frame.Image1 || piece == frame.Image3;
        piece->setPixmap(coloured ? shadedBorder(piece->size(), horizontal, light, dark)
                                  : strip_pictures::border(piece->size(), horizontal));
    }
}

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

void MixerController::applyBorderScheme(bool coloured) {
    Trec& rec = w_.rec;
    rec.GreenSilver1->setChecked(coloured);
    rec.Silverborders1->setChecked(!coloured);
    setBorders(*w_.play.frame, QColor(120, 220, 140), QColor(20, 90, 50), coloured);
    setBorders(*rec.frame, QColor(230, 120, 120), QColor(110, 20, 30), coloured);
}

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
