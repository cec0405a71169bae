#include "update/NewVersionMsg.h"

#include "app/Editor.h"

NewVersionMsg::NewVersionMsg(Editor& editor) : editor_(editor)
{
    (void)editor_;
    setObjectName(QStringLiteral("formNewVersionMsg"));
    setWindowTitle(QStringLiteral("New Version"));
    setFixedSize(300, 120);
}
