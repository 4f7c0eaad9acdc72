#include "config/config_apply.h"

#include "app/app_context.h"
#include "config/channel_dialog.h"
#include "config/config_file.h"
#include "config/window_placement.h"
#include "controls/smooth_show.h"
#include "play/form1.h"
#include "play/strip_pictures.h"
#include "play/window_frame.h"
#include "rec/rec_window.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
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

void applyBorderScheme(AppContext& context, bool coloured) {
    Trec* rec = context.rec();
    rec->GreenSilver1->setChecked(coloured);
    rec->Silverborders1->setChecked(!coloured);
    setBorders(*context.Form1()->frame, QColor(120, 220, 140), QColor(20, 90, 50), coloured);
    setBorders(*rec->frame, QColor(230, 120, 120), QColor(110, 20, 30), coloured);
}

void applyConfig(AppContext& context, const ConfigFileContents& contents) {
    SharedState& s = context.state();
    TForm4* dialog = context.Form4();
    Trec* rec = context.rec();
    s.ConfigFirstLine = contents.firstLine;
    for (int k = 0; k < kChannelBoxCount; ++k)
        if (QCheckBox* box = dialog->box(kChannelBoxNames[k])) box->setChecked(contents.channelBoxes[k]);
    const ConfigOptions& o = contents.options;
    rec->magnet->setChecked(o.magnet);
    applyBorderScheme(context, o.GreenSilver1);
    setPair(rec->BlackPlay1, rec->WhitePlay1, o.BlackPlay1);
    setPair(rec->BlackRec1, rec->WhiteRec1, o.BlackRec1);
    rec->anim->setChecked(o.anim);
    rec->SmoothShow1->SetTag(o.anim ? 0 : 1);
    restorePlace(context.Form1(), contents.form1);
    restorePlace(rec, contents.rec);
}

ConfigValues currentConfig(AppContext& context) {
    ConfigValues v;
    TForm4* dialog = context.Form4();
    Trec* rec = context.rec();
    TForm1* play = context.Form1();
    v.firstLine = context.state().ConfigFirstLine;
    for (int k = 0; k < kChannelBoxCount; ++k) {
        const QCheckBox* box = dialog->box(kChannelBoxNames[k]);
        v.channelBoxes[k] = box && box->isChecked();
    }
    v.options = {rec->magnet->isChecked(), rec->GreenSilver1->isChecked(), rec->BlackPlay1->isChecked(),
                 rec->BlackRec1->isChecked(), rec->anim->isChecked()};
    v.form1Left = play->x();
    v.form1Top = play->y();
    v.recLeft = rec->x();
    v.recTop = rec->y();
    return v;
}

// --- the windows' procedures ------------------------------------------------

void TForm1::optionsClick() {
    const ConfigReadResult r = readConfigFile();
    switch (r.status) {
        case ConfigReadResult::Status::NotFound:
            return;  // the design-time states stand
        case ConfigReadResult::Status::Failed:
            QMessageBox::warning(nullptr, QStringLiteral("Tavlo"), r.error->message());
            return;
        case ConfigReadResult::Status::Read:
            applyConfig(context(), r.contents);
            return;
    }
}

ConfigSaveResult TForm4::saveClick() { return saveConfigFile(currentConfig(context())); }

bool Trec::saveClick() {
    TForm1* play = context().Form1();
    play->setStayOnTop(false);
    setStayOnTop(false);
    Timer1->stop();
    const ConfigSaveResult r = context().Form4()->saveClick();
    if (r.ok())
        QMessageBox::information(nullptr, QStringLiteral("Tavlo"), QStringLiteral("Your new configuration is saved..."));
    else
        QMessageBox::warning(nullptr, QStringLiteral("Tavlo"), r.error->message());
    play->setStayOnTop(true);
    setStayOnTop(true);
    if (magnet->isChecked() && play->isVisible() && isVisible()) Timer1->start();
    return r.ok();
}
