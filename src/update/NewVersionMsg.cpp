#include "update/NewVersionMsg.h"

#include "app/ControlText.h"
#include "ui_NewVersionMsg.h"
#include "update/UpdateCheckHandler.h"

namespace {
constexpr int kClientWidth = 268;
constexpr int kClientHeight = 152;
constexpr double kTextSize = 11.0; // 1/96 inch, as in the main window
} // namespace

NewVersionMsg::NewVersionMsg(UpdateCheckHandler& check)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                           | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(new Ui::formNewVersionMsg), check_(check)
{
    ui->setupUi(this);
    setFixedSize(kClientWidth, kClientHeight);
    const QFont arial = ControlText::layoutFont(kTextSize);
    ui->Label1->setFont(arial);
    ui->Label2->setFont(arial);

    connect(ui->btnLaunchUpdate, &QPushButton::clicked, this, &NewVersionMsg::btnLaunchUpdateClick);
    connect(ui->btnSeeWhatsNew, &QPushButton::clicked, this, &NewVersionMsg::btnSeeWhatsNewClick);
    connect(ui->CheckBox1, &QCheckBox::clicked, this, &NewVersionMsg::CheckBox1Click);
}

NewVersionMsg::~NewVersionMsg()
{
    delete ui;
}

void NewVersionMsg::showVersions(const QString& editorVersion, const QString& newVersion)
{
    ui->Label1->setText(QStringLiteral("A new version of the Quarnel Editor is available"));
    ui->Label2->setText(QStringLiteral("Your version: ") + editorVersion + QStringLiteral("     New version: ")
                        + newVersion);
    show();
    raise();
}

void NewVersionMsg::btnLaunchUpdateClick() { check_.btnLaunchUpdateClick(); }
void NewVersionMsg::btnSeeWhatsNewClick() { check_.btnSeeWhatsNewClick(); }
void NewVersionMsg::CheckBox1Click(bool checked) { check_.CheckBox1Click(checked); }
