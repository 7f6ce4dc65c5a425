#include "sync/time_sync_form.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "settings/options.h"
#include "widgets/result_field.h"
#include "ui_time_sync_form.h"

namespace velkaro {

TTimeSyncForm::TTimeSyncForm(QWidget* parent, TClockSetter* clock)
    : QDialog(parent), fUi(std::make_unique<Ui::TTimeSyncForm>()) {
    fUi->setupUi(this);
    // A dialog border without a close box: the Close button is the only way out.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(285, 212);

    fLogic = std::make_unique<TTimeSync>(static_cast<TTimeSyncView&>(*this), clock != nullptr ? *clock : fSystemClock,
                                         [] { return ZonariaOptions().HintTimeFormat; }, fEvents);

    Timer = new QTimer(this);
    Timer->setObjectName("Timer");
    Timer->setInterval(1000);
    connect(Timer, &QTimer::timeout, this, [this] { fLogic->TimerTimer(); });
    Timer->start();

    // A host name is at most 253 characters; anything longer is no server.
    fUi->cbServer->lineEdit()->setMaxLength(253);
    fUi->cbServer->lineEdit()->installEventFilter(this);
    FillServerList();
    fUi->cbServer->setCurrentText(QString::fromStdString(ServerFromField(ZonariaOptions().TimeServer)));
    fUi->cbProtocol->setCurrentIndex(ProtocolFromOption(ZonariaOptions().TimeProtocol) == tpNtp ? 1 : 0);
    fUi->RemoteTimeEdit->setPlaceholderText(QStringLiteral("No server time"));
    fLogic->OnServerTime = [this] {
        RememberServer(ZonariaOptions().TimeServers, fLogic->ServerAddr);
        FillServerList();
    };

    connect(fUi->btnServerTime, &QPushButton::clicked, this, &TTimeSyncForm::GetServerTime);
    connect(fUi->btnLocalTime, &QPushButton::clicked, this, [this] { fLogic->btnLocalTimeClick(); });
    connect(fUi->btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

TTimeSyncForm::~TTimeSyncForm() {
    Timer->stop();
    fLogic.reset();
}

void TTimeSyncForm::GetServerTime() {
    if (fLogic->Fetching()) return;
    const std::string server = ServerFromField(fUi->cbServer->currentText().toStdString());
    fUi->cbServer->setCurrentText(QString::fromStdString(server));
    ZonariaOptions().TimeServer = server;
    fLogic->Protocol = fUi->cbProtocol->currentIndex() == 1 ? tpNtp : tpDaytime;
    // Kept with the server: the two together say how to reach the clock.
    ZonariaOptions().TimeProtocol = OptionOfProtocol(fLogic->Protocol);
    fLogic->ServerAddr = server;
    fLogic->btnServerTimeClick();
}

// The servers that answered lately, and the default one, which is always there to go back to.
void TTimeSyncForm::FillServerList() {
    QComboBox& box = *fUi->cbServer;
    const QString text = box.currentText();
    box.clear();
    for (const std::string& server : ZonariaOptions().TimeServers)
        if (!server.empty() && box.count() < 8) box.addItem(QString::fromStdString(server));
    if (box.findText(QString::fromLatin1(kDefaultTimeServer), Qt::MatchFixedString) < 0)
        box.addItem(QString::fromLatin1(kDefaultTimeServer));
    box.setCurrentText(text);
}

void TTimeSyncForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) fLogic->FormShow();
}

void TTimeSyncForm::keyPressEvent(QKeyEvent* event) {
    // Escape would reject the dialog; the only way out is the Close button.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }

    QDialog::keyPressEvent(event);
}

bool TTimeSyncForm::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the server field asks that server rather than closing the dialog.
    if (watched == fUi->cbServer->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            GetServerTime();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TTimeSyncForm::SetLocalTimeText(const std::string& text) {
    ShowResultText(fUi->LocalTimeEdit, QString::fromLatin1(text));
}

void TTimeSyncForm::SetRemoteTimeText(const std::string& text) {
    ShowResultText(fUi->RemoteTimeEdit, QString::fromLatin1(text));
}

void TTimeSyncForm::SetServerTimeEnabled(bool enabled) {
    fUi->btnServerTime->setEnabled(enabled);
    fUi->cbProtocol->setEnabled(enabled);
}

void TTimeSyncForm::SetStatusText(const std::string& text) {
    fUi->lblStatus->setText(QString::fromUtf8(text));
    fUi->lblStatus->setToolTip(QString::fromUtf8(text));
}

void TTimeSyncForm::ShowMessage(const std::string& caption, const std::string& text, TMessageIcon icon) {
    // No parent: the box is centred on the screen, as the program's other result boxes are.
    QMessageBox box(icon == TMessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    QString::fromLatin1(caption), QString::fromLatin1(text), QMessageBox::Ok);
    box.exec();
}

}  // namespace velkaro

namespace velkaro {

bool TTimeSyncForm::Confirm(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(caption), QString::fromLatin1(text),
                    QMessageBox::Yes | QMessageBox::No);
    // Setting the clock by a large step is not to be done by a stray Enter.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace velkaro
