import QtQuick
import "../PageLogic.js" as PageLogic

IssueFeed {
    id: page
    kind: "defect"
    feedTitle: "Лента брака"
    totalValue: issuesLive.defectsValue
    rows: issuesLive.defectsRows
    selectedIndex: shell ? shell.selectedDefectIndex : -1
    fallbackUrl: PageLogic.firstText({ a: appSettings.serverLink("staff_defects_url"),
                                       b: appSettings.serverLink("manager_defects_url"),
                                       c: appSettings.serverLink("manager_url") }, ["a", "b", "c"])
    emptyTitle: "Брака нет"
    emptyHint: "Новые карточки брака появятся здесь автоматически."
    onSelectRequested: function (index) {
        if (shell)
            shell.selectedDefectIndex = index
    }
}
