#include "app/app_context.h"

#include "app/mixer_controller.h"
#include "app/splash.h"
#include "app/user_messages.h"
#include "config/channel_dialog.h"
#include "meter/vu_window.h"
#include "platform/mixer_service.h"
#include "play/form1.h"
#include "rec/rec_window.h"

AppContext::AppContext(std::unique_ptr<MixerDriver> driver, std::unique_ptr<UserMessages> messages, QObject* parent)
    : QObject(parent),
      startUp_(state_.ChangeGuard.hold()),
      messages_(messages ? std::move(messages) : messageBoxes()),
      service_(std::make_unique<MixerService>(std::move(driver))) {}

AppContext::~AppContext() {
    // The controller and the windows go before the service their mixer
    // objects hold handles on, and before the state they refer to.
    controller_.reset();
    form4_.reset();
    form2_.reset();
    rec_.reset();
    form1_.reset();
    form3_.reset();
}

void AppContext::createWindows(const std::function<void(QWidget&)>& splashMade) {
    form3_ = std::make_unique<TForm3>(state_);
    if (splashMade) splashMade(*form3_);
    form1_ = std::make_unique<TForm1>(state_, *service_);
    rec_ = std::make_unique<Trec>(state_, *service_);
    form2_ = std::make_unique<TForm2>(state_);
    form4_ = std::make_unique<TForm4>();
    controller_ = std::make_unique<MixerController>(
        state_, *messages_, MixerController::Windows{*form3_, *form1_, *rec_, *form2_, *form4_});
    controller_->FirstInitialisation(std::move(startUp_));
}
