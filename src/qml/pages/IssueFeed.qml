import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "../PageLogic.js" as PageLogic

// The bugs and defects feeds: total, status line, the rows of issuesLive and the detail
// of the selected row. The selected index lives in the root window (kept valid there
// whenever the feed changes), so a snapshot keeps the selection and the scroll position.
Item {
    id: feed

    property var shell: null
    property string kind: "defect"          // "defect" or "bug"
    property string feedTitle: ""
    property string totalValue: "0"
    property var rows: null                  // issuesLive.defectsRows / bugsRows
    property int selectedIndex: -1
    property string fallbackUrl: ""
    property string emptyTitle: ""
    property string emptyHint: ""
    signal selectRequested(int index)

    // Bumped on every change of the rows, so the detail re-reads its row.
    property int revision: 0
    readonly property int rowCount: rows ? rows.count : 0
    readonly property var selectedRow: {
        revision
        return rows && selectedIndex >= 0 ? rows.get(selectedIndex) : ({})
    }
    readonly property bool hasSelection: selectedIndex >= 0 && selectedIndex < rowCount

    function openLink(value) {
        var url = feed.shell ? feed.shell.absoluteServerUrl(value) : PageLogic.trimmed(value)
        if (url.length > 0)
            localTools.openUrl(url)
    }

    function refreshNow() {
        if (!snapshotSync.busy)
            snapshotSync.refresh()
    }

    Connections {
        target: feed.rows
        function onDataChanged() { feed.revision += 1 }
        function onRowsInserted() { feed.revision += 1 }
        function onRowsRemoved() { feed.revision += 1 }
        function onRowsMoved() { feed.revision += 1 }
        function onModelReset() { feed.revision += 1 }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 14

        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            Text {
                text: feed.feedTitle
                font.pixelSize: 22
                font.bold: true
                color: "#F6FAFF"
            }
            StatusPill {
                label: "Всего"
                value: feed.totalValue
                iconName: feed.kind === "bug" ? "bug" : "defects"
                accent: "#7ECFFF"
                minWidth: 110
            }
            Text {
                objectName: feed.kind + "StatusLine"
                Layout.fillWidth: true
                text: PageLogic.issueStatusLine(issuesLive.status, feed.kind)
                font.pixelSize: 13
                color: "#8FA3C4"
                elide: Text.ElideRight
            }
            GlassActionButton {
                compact: true
                iconName: "refresh"
                text: snapshotSync.busy ? "Обновляется…" : "Обновить"
                enabled: !snapshotSync.busy
                onClicked: feed.refreshNow()
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 16

            GlassPanel {
                Layout.fillHeight: true
                // A fixed share, so the detail's content never squeezes the list.
                readonly property real share: Math.max(400, Math.round(feed.width * 0.44))
                Layout.preferredWidth: share
                Layout.minimumWidth: share
                Layout.maximumWidth: share
                contentMargin: 8

                ListView {
                    id: list
                    objectName: feed.kind + "List"
                    anchors.fill: parent
                    clip: true
                    spacing: 6
                    model: feed.rows
                    currentIndex: feed.selectedIndex
                    boundsBehavior: Flickable.StopAtBounds
                    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                    // Selection is the root's; the view must not scroll on its own when it moves.
                    highlightFollowsCurrentItem: false
                    keyNavigationEnabled: false

                    delegate: Rectangle {
                        id: rowItem
                        required property int index
                        required property var row
                        readonly property bool selected: index === feed.selectedIndex
                        readonly property color accent: PageLogic.issueAccent(row.state)
                        width: ListView.view.width - 10
                        height: 84
                        radius: 9
                        color: selected ? "#142237" : (hover.hovered ? "#111C2E" : "#0D1522")
                        border.width: 1
                        border.color: selected ? "#3A5A86" : "#1A2740"

                        HoverHandler { id: hover }
                        TapHandler { onTapped: feed.selectRequested(rowItem.index) }

                        Rectangle {
                            width: 3
                            height: parent.height - 18
                            anchors.verticalCenter: parent.verticalCenter
                            x: 0
                            radius: 1.5
                            color: rowItem.accent
                            opacity: rowItem.selected ? 1 : 0.55
                        }

                        ColumnLayout {
                            anchors.fill: parent
                            anchors.leftMargin: 14
                            anchors.rightMargin: 12
                            anchors.topMargin: 9
                            anchors.bottomMargin: 9
                            spacing: 3

                            RowLayout {
                                Layout.fillWidth: true
                                spacing: 8
                                Text {
                                    text: rowItem.row.docNo ? (feed.kind === "bug" ? "#" : "№") + rowItem.row.docNo : ""
                                    visible: text.length > 0
                                    font.family: "Consolas"
                                    font.pixelSize: 12
                                    color: "#8FA3C4"
                                }
                                Text {
                                    Layout.fillWidth: true
                                    text: PageLogic.text(rowItem.row.title)
                                    font.pixelSize: 14
                                    font.bold: true
                                    color: "#F1F6FF"
                                    elide: Text.ElideRight
                                }
                                Text {
                                    text: PageLogic.text(rowItem.row.state)
                                    font.pixelSize: 12
                                    font.bold: true
                                    color: rowItem.accent
                                }
                            }
                            Text {
                                Layout.fillWidth: true
                                text: PageLogic.text(rowItem.row.subtitle)
                                font.pixelSize: 12
                                color: "#A9BAD3"
                                elide: Text.ElideRight
                                maximumLineCount: 1
                            }
                            RowLayout {
                                Layout.fillWidth: true
                                spacing: 12
                                Text {
                                    Layout.fillWidth: true
                                    text: PageLogic.text(rowItem.row.when)
                                    font.pixelSize: 11
                                    color: "#71829A"
                                }
                                Text {
                                    visible: Number(rowItem.row.attachmentsCount) > 0
                                    text: "вложений: " + Number(rowItem.row.attachmentsCount)
                                    font.pixelSize: 11
                                    color: "#71829A"
                                }
                            }
                        }
                    }
                }

                EmptyState {
                    anchors.centerIn: parent
                    width: parent.width - 32
                    visible: feed.rowCount === 0
                    iconName: feed.kind === "bug" ? "bug" : "defects"
                    title: feed.emptyTitle
                    hint: feed.emptyHint
                }
            }

            GlassPanel {
                Layout.fillWidth: true
                Layout.fillHeight: true
                contentMargin: 20

                Flickable {
                    id: detail
                    anchors.fill: parent
                    visible: feed.hasSelection
                    clip: true
                    contentWidth: width
                    contentHeight: detailColumn.implicitHeight
                    boundsBehavior: Flickable.StopAtBounds
                    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

                    ColumnLayout {
                        id: detailColumn
                        width: detail.width - 12
                        spacing: 12

                        Text {
                            Layout.fillWidth: true
                            text: feed.kind === "defect"
                                  ? PageLogic.firstText(feed.selectedRow, ["docLabel", "title"])
                                  : PageLogic.firstText(feed.selectedRow, ["title"])
                            font.pixelSize: 20
                            font.bold: true
                            color: "#F6FAFF"
                            wrapMode: Text.Wrap
                        }
                        RowLayout {
                            spacing: 10
                            StatusPill {
                                label: "Статус"
                                value: PageLogic.text(feed.selectedRow.state)
                                accent: PageLogic.issueAccent(feed.selectedRow.state)
                            }
                            StatusPill {
                                label: "Обновлено"
                                value: PageLogic.text(feed.selectedRow.when)
                                accent: "#46617F"
                                subtle: true
                            }
                        }
                        Text {
                            objectName: feed.kind + "DetailsLine"
                            Layout.fillWidth: true
                            visible: text.length > 0
                            text: PageLogic.longText(feed.selectedRow.detailsLine)
                            font.pixelSize: 13
                            color: "#C9D7EC"
                            wrapMode: Text.Wrap
                        }
                        Rectangle {
                            Layout.fillWidth: true
                            visible: descriptionText.text.length > 0
                            implicitHeight: descriptionText.implicitHeight + 24
                            radius: 9
                            color: "#101B2C"
                            border.color: "#1F2D45"
                            Text {
                                id: descriptionText
                                anchors.fill: parent
                                anchors.margins: 12
                                text: PageLogic.longText(PageLogic.firstText(feed.selectedRow,
                                                                             ["description", "subtitle", "comment"]))
                                font.pixelSize: 14
                                color: "#DDE8F8"
                                wrapMode: Text.Wrap
                            }
                        }
                        GridLayout {
                            columns: 2
                            columnSpacing: 12
                            rowSpacing: 6
                            Text { text: "Создал"; font.pixelSize: 12; color: "#71829A" }
                            Text {
                                text: PageLogic.firstText(feed.selectedRow, ["creator", "reporter"]) || "—"
                                font.pixelSize: 13
                                color: "#DDE7F7"
                            }
                            Text { text: "Виновник"; font.pixelSize: 12; color: "#71829A" }
                            Text {
                                text: PageLogic.firstText(feed.selectedRow, ["culprit"]) || "—"
                                font.pixelSize: 13
                                color: "#DDE7F7"
                            }
                        }
                        Text {
                            readonly property var photos: PageLogic.issuePhotos(feed.selectedRow)
                            visible: photos.length > 0
                            text: "Фото и вложения: " + photos.length
                            font.pixelSize: 13
                            font.bold: true
                            color: "#C9D7EC"
                        }
                        Flow {
                            Layout.fillWidth: true
                            spacing: 8
                            Repeater {
                                // A handful of links per row.
                                model: PageLogic.issuePhotos(feed.selectedRow)
                                delegate: GlassActionButton {
                                    required property int index
                                    required property string modelData
                                    compact: true
                                    iconName: "eye"
                                    text: "Фото " + (index + 1)
                                    toolTip: modelData
                                    onClicked: feed.openLink(modelData)
                                }
                            }
                        }
                        GlassActionButton {
                            readonly property string link: PageLogic.issueLink(feed.selectedRow, feed.fallbackUrl)
                            primary: true
                            iconName: "open"
                            text: "Открыть в браузере"
                            enabled: link.length > 0
                            onClicked: feed.openLink(link)
                        }
                    }
                }

                EmptyState {
                    anchors.centerIn: parent
                    width: parent.width - 32
                    visible: !feed.hasSelection
                    iconName: "info"
                    title: feed.rowCount === 0 ? "Нечего показать" : "Выбери запись"
                    hint: feed.rowCount === 0 ? "Подробности появятся, когда в ленте будут записи."
                                              : "Подробности записи появятся здесь."
                }
            }
        }
    }
}
