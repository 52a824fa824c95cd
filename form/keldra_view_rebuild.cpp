// The list rebuilt from the results store for a key filter: the key browser's selection and Refresh both
// come here. Records the user removed stay out of every rebuild.
#include "form/keldra_view.h"

#include "engine/result_markup.h"
#include "results/key_filter.h"
#include "results/wait_cursor.h"
#include "winlib/status_bar.h"

#include <cwchar>

void CKeldraWTLView::RebuildList(const std::wstring& filter) {
    WaitCursor wait;
    if (_wcsicmp(filter.c_str(), m_keyFilter.c_str()) == 0) {
        return;
    }
    m_keyFilter = filter;
    m_list.DeleteAllItems();

    const ParsedKeyFilter parsed = ParseKeyFilter(filter);
    // The worker may still be appending: take each record under the lock and list only what exists now.
    const size_t count = m_search.Results().Count();
    const ResultsStore& store = m_search.Results();
    for (size_t index = 0; index < count; ++index) {
        int icon = -1;
        store.Read(index, [&](const SearchResult& record) {
            if (!record.removed && KeyFilterAdmits(parsed, record)) {
                icon = ResultIcon(record);
            }
        });
        if (icon >= 0) {
            m_list.AddRow(icon, index);
        }
    }
    m_nextToList = count;
    m_list.CommitRows();
    m_list.Invalidate(FALSE);

    wchar_t shown[64] = {};
    swprintf(shown, sizeof shown / sizeof shown[0], L"%d item(s) shown", m_list.GetItemCount());
    SetPaneText(ID_DEFAULT_PANE, shown);
}
