import QtQuick
import "../ShellLogic.js" as Logic

IssueFeed {
    id: page
    kind: "bug"
    feedTitle: "Лента багов"
    totalValue: issuesLive.bugsValue
    rows: issuesLive.bugsRows
    selectedIndex: shell ? shell.selectedBugIndex : -1
    // The same portal the footer's "Нашёл баг" opens.
    fallbackUrl: Logic.firstNonEmpty([appSettings.serverLink("staff_bugs_url"),
                                      appSettings.serverLink("manager_bugs_url"),
                                      appSettings.serverLink("manager_url")], Logic.fallbackBugPortalUrl)
    emptyTitle: "Багов нет"
    emptyHint: "Новые баги появятся здесь автоматически."
    onSelectRequested: function (index) {
        if (shell)
            shell.selectedBugIndex = index
    }
}
