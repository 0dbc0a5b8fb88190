#include "app/ApplicationStart.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

// A message with copies of its context's texts: a plugin that failed to load takes its own texts away with it.
struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

std::mutex heldLock;
std::vector<HeldMessage> held;

// Qt ends the process after a fatal message; while the display is being opened the only fatal one is that no
// window-system plugin could be started, and every other message is held back.
void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs("Kyrel: Script Editor needs a graphical display, and none could be opened.\n", stderr);
        std::_Exit(1);
    }
    const std::lock_guard lock(heldLock);
    held.push_back({type, context.file, context.line, context.function, context.category, text});
}

} // namespace

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv) {
    const QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    const std::lock_guard lock(heldLock);
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(message.file.constData(), message.line, message.function.constData(),
                                         message.category.constData());
        qt_message_output(message.type, context, message.text); // through the handler restored above
    }
    held.clear();
    return application;
}
