#include "update/UpdateCheck.h"

#include "app/Editor.h"

UpdateCheck::UpdateCheck(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void UpdateCheck::prepare()
{
}

void UpdateCheck::TimerCheckWebVersionTimer()
{
}

void UpdateCheck::menuInfoClick()
{
}

void UpdateCheck::menuSupportClick()
{
}

void UpdateCheck::menuUpdateNowClick()
{
}

void UpdateCheck::menuShowUpdateMsgClick()
{
}

void UpdateCheck::menuTroubleshootingClick()
{
}
