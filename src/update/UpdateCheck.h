#pragma once

#include <QString>

#include <cstdint>

class Editor;

// The web version check and the hand-over to the updater.
class UpdateCheck {
public:
    explicit UpdateCheck(Editor& editor);

    void prepare();
    void TimerCheckWebVersionTimer();
    void menuInfoClick();
    void menuSupportClick();
    void menuUpdateNowClick();
    void menuShowUpdateMsgClick();
    void menuTroubleshootingClick();

private:
    Editor& editor_;
};
