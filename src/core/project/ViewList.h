#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// The views registered with a document, in registration order. Walking the list is safe while
// views register or unregister (a view closing a sibling in its update handler): a view removed
// during a walk is skipped from then on, one added waits for the next walk.
template <class T> class CViewList {
public:
    void Add(T* view) {
        if (std::find(m_views.begin(), m_views.end(), view) == m_views.end())
            m_views.push_back(view);
    }
    void Remove(T* view) {
        const auto it = std::find(m_views.begin(), m_views.end(), view);
        if (it == m_views.end())
            return;
        if (m_walks > 0)
            *it = nullptr; // compacted when the outermost walk ends
        else
            m_views.erase(it);
    }
    bool Contains(const T* view) const {
        return view && std::find(m_views.begin(), m_views.end(), view) != m_views.end();
    }
    std::size_t Count() const {
        return static_cast<std::size_t>(
            std::count_if(m_views.begin(), m_views.end(), [](T* v) { return v != nullptr; }));
    }

    // Calls `visit` on each view registered when the walk starts and still registered when its
    // turn comes.
    template <class F> void ForEach(F&& visit) {
        Walk walk(*this);
        const std::size_t count = m_views.size();
        for (std::size_t i = 0; i < count; ++i)
            if (T* view = m_views[i])
                visit(*view);
    }

private:
    struct Walk {
        explicit Walk(CViewList& list) : m_list(list) { ++m_list.m_walks; }
        ~Walk() {
            if (--m_list.m_walks == 0)
                std::erase(m_list.m_views, nullptr);
        }
        Walk(const Walk&) = delete;
        Walk& operator=(const Walk&) = delete;
        CViewList& m_list;
    };

    std::vector<T*> m_views;
    int m_walks = 0;
};
