#include "app/app_context.h"

#include "app/splash.h"
#include "config/channel_dialog.h"
#include "meter/vu_window.h"
#include "platform/mixer_service.h"
#include "play/form1.h"
#include "rec/rec_window.h"

#include <QMessageBox>

AppContext::AppContext(std::unique_ptr<MixerDriver> driver, QObject* parent)
    : QObject(parent), service_(std::make_unique<MixerService>(std::move(driver))) {}

AppContext::~AppContext() {
    // Windows go before the service their mixer objects hold handles on.
    form4_.reset();
    form2_.reset();
    rec_.reset();
    form1_.reset();
    form3_.reset();
}

void AppContext::createWindows() {
    form3_ = std::make_unique<TForm3>(*this);
    form1_ = std::make_unique<TForm1>(*this);
    rec_ = std::make_unique<Trec>(*this);
    form2_ = std::make_unique<TForm2>(*this);
    form4_ = std::make_unique<TForm4>(*this);
    // Its creation handler reaches back into the dialog through the context.
    form4_->FormCreate();
}

void AppContext::trace(const QString& text) {
    if (state_.TracesOff) return;
    QMessageBox::information(nullptr, QStringLiteral("Tavlo"), text);
}
