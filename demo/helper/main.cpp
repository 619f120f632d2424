// The sample product's helper: a second, small program that the product starts as its
// slave (IPCManager::LaunchSlave). When its window closes it hands the foreground back
// to the product's main window. With "--close-after MS" it closes by itself, for
// unattended runs.
#include "App/Application/IPC/IPCFocusTransfererSlave.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class HelperWindow : public QWidget {
public:
    HelperWindow()
    {
        setWindowTitle(QStringLiteral("Talvex Demo Helper"));
        auto* layout = new QVBoxLayout(this);
        const bool joined = Talvex::App::IPCFocusTransfererSlave::Instance().IsConnected();
        layout->addWidget(new QLabel(joined ? QStringLiteral("Started by the sample product.\n"
                                                             "Close this window and the product comes forward again.")
                                            : QStringLiteral("Not started by the sample product: closing hands "
                                                             "nothing back."),
                                     this));
        auto* close = new QPushButton(QStringLiteral("Close"), this);
        connect(close, &QPushButton::clicked, this, &QWidget::close);
        layout->addWidget(close);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        Talvex::App::IPCFocusTransfererSlave::Instance().GiveFocusToParent();
        event->accept();
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    HelperWindow window;
    window.show();
    const int closeAfter = QApplication::arguments().indexOf(QStringLiteral("--close-after"));
    if (closeAfter > 0) {
        QTimer::singleShot(QApplication::arguments().value(closeAfter + 1).toInt(), &window, &QWidget::close);
    }
    return application.exec();
}
