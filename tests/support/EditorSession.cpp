#include "tests/support/EditorSession.h"

#include <QTest>

EditorSession::EditorSession() {
    m_dialog.show();
    m_exposed = m_dir.isValid() && QTest::qWaitForWindowExposed(&m_dialog);
}

EditorSession::~EditorSession() = default;
