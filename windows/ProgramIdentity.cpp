#include "windows/ProgramIdentity.h"

QString ProgramTitle() {
    return QString::fromUtf8(ProgramTitleText);
}

QString ProgramVersionText() {
    return QStringLiteral("%1.%2.%3").arg(ProgramVersionMajor).arg(ProgramVersionMinor).arg(ProgramVersionRevision);
}

QIcon ProgramIcon() {
    return QIcon(QStringLiteral(":/pictures/ProgramIcon.png"));
}
