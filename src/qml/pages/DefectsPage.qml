import QtQuick
import "../ShellLogic.js" as Logic

IssueFeed {
    id: page
    kind: "defect"
    feedTitle: "Лента брака"
    totalValue: issuesLive.defectsValue
    rows: issuesLive.defectsRows
    selectedIndex: shell ? shell.selectedDefectIndex : -1
    fallbackUrl: Logic.firstNonEmpty([appSettings.serverLink("staff_defects_url"),
                                      appSettings.serverLink("manager_defects_url"),
                                      appSettings.serverLink("manager_url")], "")
    emptyTitle: "Брака нет"
    emptyHint: "Новые карточки брака появятся здесь автоматически."
    onSelectRequested: function (index) {
        if (shell)
            shell.selectedDefectIndex = index
    }
}
