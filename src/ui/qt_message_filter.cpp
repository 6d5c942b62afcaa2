#include "ui/qt_message_filter.h"

#include <QtGlobal>
#include <atomic>

namespace kivrel {
namespace {

std::atomic<QtMessageHandler> g_next_handler{nullptr};

void FilterQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg) return;
  if (QtMessageHandler next = g_next_handler.load()) next(type, context, message);
}

}  // namespace

void InstallQtMessageFilter() {
  // Qt hands back its own default handler when no other was installed.
  const QtMessageHandler previous = qInstallMessageHandler(FilterQtMessage);
  if (previous != FilterQtMessage) g_next_handler.store(previous);
}

}  // namespace kivrel
