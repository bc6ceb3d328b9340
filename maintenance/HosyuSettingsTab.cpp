#include "maintenance/HosyuSettingsTab.h"

#include "core/Globals.h"
#include "core/MakerLink.h"
#include "core/ModApi.h"
#include "maintenance/FrmHosyu.h"
#include "maintenance/JetConversion.h"
#include "platform/forms/TextBox.h"
#include "templates/FrmTemplate.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace tqen::maintenance {

HosyuSettingsTab::HosyuSettingsTab(FrmHosyu &form) : HosyuTab(form) {
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setVerticalSpacing(12);
    txtDataPath = new forms::TextBox(QStringLiteral("txtDataPath"), false, this);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("参照..."), QStringLiteral("データファイルを指定する"), this);
    grid->addWidget(labelFor(QStringLiteral("データパス"), txtDataPath, this), 0, 0);
    grid->addWidget(txtDataPath, 0, 1);
    grid->addWidget(Command2, 0, 2);
    cmb年号 = new QComboBox(this);
    cmb年号->setObjectName(QStringLiteral("cmb年号"));
    grid->addWidget(labelFor(QStringLiteral("日付の表示"), cmb年号, this), 1, 0);
    grid->addWidget(cmb年号, 1, 1, Qt::AlignLeft);
    auto *note = new QLabel(QStringLiteral("データパスを変更したときは、次回の起動から新しいデータファイルを使います。"), this);
    note->setWordWrap(true);
    grid->addWidget(note, 2, 1, 1, 2);
    // The office's memo templates, on a form of their own.
    auto *templates = button(QStringLiteral("cmdテンプレート"), QStringLiteral("テンプレート..."),
                             QStringLiteral("メモのテンプレートを編集する"), this);
    grid->addWidget(templates, 3, 1, Qt::AlignLeft | Qt::AlignTop);
    connect(templates, &QPushButton::clicked, this, [] {
        auto *form = static_cast<FrmTemplate *>(forms::findForm(QStringLiteral("FrmTemplate")));
        if (!form) {
            form = new FrmTemplate([] { return G().DataDbPath; });
            form->setAttribute(Qt::WA_DeleteOnClose);
            form->Form_Load();
        }
        form->showNormal();
        form->raise();
        form->activateWindow();
    });

    auto *about = new QHBoxLayout;
    // The maker's picture, as on the main screen: it opens the maker's page.
    Image1 = CreateMakerLink(this);
    LblUpdate = new QLabel(this);
    LblUpdate->setObjectName(QStringLiteral("LblUpdate"));
    about->addWidget(Image1);
    about->addWidget(LblUpdate, 1);
    grid->addLayout(about, 4, 0, 1, 3);
    cmdHint1 = helpButton(QStringLiteral("cmdHint1"), this);
    grid->addWidget(cmdHint1, 5, 2, Qt::AlignRight);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);

    connect(Command2, &QPushButton::clicked, this, &HosyuSettingsTab::Command2_Click);
    connect(cmdHint1, &QPushButton::clicked, this, [this] { form_.openHelp(QStringLiteral("VoRadu8.htm")); });
}

void HosyuSettingsTab::Form_Load() {
    LblUpdate->setText(QStringLiteral(" RUvoza Ver 1.10") + u'\n' + QStringLiteral("Last Update 2002/02/14"));
    cmb年号->clear();
    cmb年号->addItem(QStringLiteral("西暦"));
    cmb年号->addItem(QStringLiteral("和暦"));
}

QString HosyuSettingsTab::dataPath() const { return txtDataPath->Text(); }
void HosyuSettingsTab::setDataPath(const QString &path) { txtDataPath->setText(path); }
void HosyuSettingsTab::focusDataPath() { txtDataPath->setFocus(); }
QString HosyuSettingsTab::era() const { return cmb年号->currentText(); }

void HosyuSettingsTab::setEra(const QString &era) {
    const int at = cmb年号->findText(era);
    cmb年号->setCurrentIndex(at >= 0 ? at : 0);
}

void HosyuSettingsTab::focusEra() { cmb年号->setFocus(); }

void HosyuSettingsTab::Command2_Click() {
    ModApi::FileDialogRequest request;
    request.title = QStringLiteral("データファイルを指定する");
    request.filter = QStringLiteral("MDB ファイル(*.mdb)|tqendata.mdb|");
    request.filterIndex = 1;
    request.initialFolder = QStringLiteral("c:\\");
    if (!ModApi::OpenFileDialog(&form_, request)) return;
    // A data file of the Windows program is converted first, or not taken.
    QString converted;
    switch (OfferConversion(&form_, request.chosenPath, &converted)) {
    case Conversion::NotWindowsFile: txtDataPath->setText(request.chosenPath); break;
    case Conversion::Converted: txtDataPath->setText(converted); break;
    case Conversion::Declined:
    case Conversion::Failed: break;
    }
}

}  // namespace tqen::maintenance
