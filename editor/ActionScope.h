#pragma once

// Marks one user action: the handlers that run nested inside the outermost one belong to it, and share its one
// warning box.
class ActionScope {
public:
    ActionScope(int& depth, bool& warned) : m_depth(depth) {
        if (m_depth++ == 0)
            warned = false;
    }
    ~ActionScope() { --m_depth; }
    ActionScope(const ActionScope&) = delete;
    ActionScope& operator=(const ActionScope&) = delete;

private:
    int& m_depth;
};
