#include "tests/support/EditorTest.h"

#include <QApplication>
#include <QTest>

void EditorTest::init() {
    m_session = std::make_unique<EditorSession>();
    QVERIFY(m_session->Exposed());
}

void EditorTest::cleanup() {
    m_session.reset();
    QVERIFY(!QApplication::activeModalWidget());
}
