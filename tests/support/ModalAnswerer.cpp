#include "tests/support/ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

ModalAnswerer::ModalAnswerer(QMessageBox::StandardButton answer) : m_answer(answer) {
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::Poll);
    m_timer.start();
}

void ModalAnswerer::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box->property("answered").toBool())
        return;
    box->setProperty("answered", true);
    m_boxes.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                    box->standardButton(box->defaultButton()), box->detailedText()});
    if (m_whileOpen)
        m_whileOpen(m_boxes.constLast());
    QAbstractButton* button = box->button(m_answer);
    // The first answer otherwise; "Show Details..." answers nothing.
    for (QAbstractButton* answer : box->buttons()) {
        if (!button && box->standardButton(answer) != QMessageBox::NoButton)
            button = answer;
    }
    button->click();
}

void AnswerFileDialog(const QString& path) {
    AnswerFileDialogs({path});
}

void AnswerFileDialogs(const QStringList& paths) {
    auto* poll = new QTimer;
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, [poll, paths, next = qsizetype(0)]() mutable {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        const QString path = paths.at(next++);
        if (next == paths.size()) {
            poll->stop();
            poll->deleteLater();
        }
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        // The whole path at once: typing it key by key opens the completion popup on every folder.
        if (path != ProposedName)
            name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    });
    poll->start();
}
