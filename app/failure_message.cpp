#include "failure_message.h"

#include <QDir>
#include <QFile>

namespace {

/// Paths in a reason are the system's bytes, decoded as the file dialogs decode them.
QString decoded(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

}  // namespace

QString failureMessage(const QString& whatFailed, const std::string& reason,
                       const std::string& file) {
    QString text = whatFailed + QStringLiteral("\n\n");
    if (!file.empty()) text += QDir::toNativeSeparators(decoded(file)) + QStringLiteral(": ");
    return text + decoded(reason);
}
