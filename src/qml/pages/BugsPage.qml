import QtQuick
import "../PageLogic.js" as PageLogic

IssueFeed {
    id: page
    kind: "bug"
    feedTitle: "Лента багов"
    totalValue: issuesLive.bugsValue
    rows: issuesLive.bugsRows
    selectedIndex: shell ? shell.selectedBugIndex : -1
    fallbackUrl: PageLogic.firstText({ a: appSettings.serverLink("staff_bugs_url"),
                                       b: appSettings.serverLink("manager_bugs_url"),
                                       c: appSettings.serverLink("manager_url") }, ["a", "b", "c"])
    emptyTitle: "Багов нет"
    emptyHint: "Новые баги появятся здесь автоматически."
    onSelectRequested: function (index) {
        if (shell)
            shell.selectedBugIndex = index
    }
}
