#include "editor/Boxes.h"

#include <QMessageBox>
#include <QWidget>

void Boxes::Warn(const QString& text) {
    if (m_warned)
        return;
    Report(text);
}

void Boxes::Report(const QString& text) {
    m_warned = true;
    QMessageBox::warning(m_owner, m_owner->windowTitle(), text);
}

void Boxes::Error(const QString& text) {
    m_warned = true;
    QMessageBox box(QMessageBox::Warning, tr("Error"), text, QMessageBox::Ok, m_owner);
    box.exec();
}

void Boxes::Inform(const QString& text) {
    QMessageBox box(QMessageBox::Information, m_owner->windowTitle(), text, QMessageBox::Ok, m_owner);
    box.exec();
}

bool Boxes::Ask(const QString& question, const QString& details) {
    if (details.isEmpty())
        return QMessageBox::question(m_owner, m_owner->windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    QMessageBox box(QMessageBox::Question, m_owner->windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                    m_owner);
    box.setDefaultButton(QMessageBox::No);
    box.setDetailedText(details);
    return box.exec() == QMessageBox::Yes;
}
