#include "update/UpdateUpdaterUnit.h"

#include "app/Editor.h"

UpdateUpdaterUnit::UpdateUpdaterUnit(Editor& editor) : editor_(editor)
{
    (void)editor_;
    setObjectName(QStringLiteral("formUpdateUpdater"));
    setWindowTitle(QStringLiteral("UpdateUpdater"));
    setFixedSize(300, 120);
}
