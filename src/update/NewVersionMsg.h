#pragma once

#include <QWidget>

namespace Ui {
class formNewVersionMsg;
}
class UpdateCheckHandler;

// The window that tells of a newer editor. Its controls forward to the
// update check.
class NewVersionMsg : public QWidget {
    Q_OBJECT
public:
    explicit NewVersionMsg(UpdateCheckHandler& check);
    ~NewVersionMsg() override;

    Ui::formNewVersionMsg* ui;

    // Fills in both versions and shows the window (not modally).
    void showVersions(const QString& editorVersion, const QString& newVersion);

    void btnLaunchUpdateClick();
    void btnSeeWhatsNewClick();
    void CheckBox1Click(bool checked);

private:
    UpdateCheckHandler& check_;
};
