import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "../PageLogic.js" as PageLogic

// The day at a glance: six figure cards, the marketplaces of the day and the latest prints.
Item {
    id: page

    property var shell: null

    component FigureCard: GlassPanel {
        id: card
        property string title: ""
        property string iconName: ""
        property string value: ""
        property string delta: ""
        // Three equal columns whatever the length of the values.
        width: parent ? (parent.width - 2 * 16) / 3 : 0
        height: 118
        contentMargin: 18

        ColumnLayout {
            anchors.fill: parent
            spacing: 6
            RowLayout {
                spacing: 8
                IconMark { name: card.iconName; color: "#7ECFFF"; width: 16; height: 16 }
                Text {
                    Layout.fillWidth: true
                    text: card.title
                    font.pixelSize: 13
                    color: "#8FA3C4"
                    elide: Text.ElideRight
                }
            }
            Text {
                Layout.fillWidth: true
                text: PageLogic.trimmed(card.value) || "—"
                font.pixelSize: 26
                font.bold: true
                color: "#F6FAFF"
                elide: Text.ElideRight
            }
            Text {
                Layout.fillWidth: true
                text: card.delta
                font.pixelSize: 12
                color: PageLogic.dashboardDeltaColor(card.delta)
                elide: Text.ElideRight
            }
            Item { Layout.fillHeight: true }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 16

        Grid {
            id: figures
            Layout.fillWidth: true
            columns: 3
            spacing: 16

            FigureCard {
                title: "Активный сотрудник"
                iconName: "employees"
                value: dashboard.activeValue
                delta: dashboard.activeMeta
            }
            FigureCard {
                title: "Макетов сегодня"
                iconName: "printer"
                value: dashboard.scansValue
                delta: dashboard.scansDelta
            }
            FigureCard {
                title: "Квадратура сегодня"
                iconName: "ruler"
                value: dashboard.areaValue
                delta: dashboard.areaDelta
            }
            FigureCard {
                title: "Квадратура за месяц"
                iconName: "roll"
                value: dashboard.monthAreaValue
                delta: dashboard.monthAreaDelta
            }
            FigureCard {
                title: "Баги"
                iconName: "bug"
                value: issuesLive.bugsValue
                delta: issuesLive.bugsDelta
            }
            FigureCard {
                title: "Брак"
                iconName: "defects"
                value: issuesLive.defectsValue
                delta: issuesLive.defectsDelta
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 16

            GlassPanel {
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: 1
                contentMargin: 18

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 12
                    Text {
                        text: "Сводка по МП за день"
                        font.pixelSize: 16
                        font.bold: true
                        color: "#F6FAFF"
                    }
                    // A positioner, not a layout: a layout in Qt 6.4 may still touch the rows
                    // a Repeater has just destroyed when the figures change.
                    Column {
                        Layout.fillWidth: true
                        spacing: 12
                    Repeater {
                        // Four fixed entries: WB, OZON, FBO and the total.
                        model: dashboard.marketplaceSummary
                        delegate: Rectangle {
                            required property var modelData
                            width: parent ? parent.width : 0
                            height: 44
                            radius: 8
                            color: "#101827"
                            border.color: "#1F2D45"
                            Rectangle {
                                width: 3
                                height: parent.height - 16
                                anchors.verticalCenter: parent.verticalCenter
                                color: PageLogic.text(parent.modelData.accent) || "#7ECFFF"
                            }
                            RowLayout {
                                anchors.fill: parent
                                anchors.leftMargin: 16
                                anchors.rightMargin: 14
                                spacing: 12
                                Text {
                                    Layout.fillWidth: true
                                    text: PageLogic.text(modelData.title)
                                    font.pixelSize: 14
                                    font.bold: true
                                    color: PageLogic.text(modelData.accent) || "#F6FAFF"
                                }
                                Text {
                                    text: PageLogic.text(modelData.count) + " шт."
                                    font.pixelSize: 14
                                    color: "#E8EEF8"
                                }
                                Text {
                                    Layout.preferredWidth: 110
                                    horizontalAlignment: Text.AlignRight
                                    text: PageLogic.text(modelData.area)
                                    font.pixelSize: 14
                                    color: "#A9BAD3"
                                }
                            }
                        }
                    }
                    }
                    Item { Layout.fillHeight: true }
                }
            }

            GlassPanel {
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: 1
                contentMargin: 18

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 12
                    Text {
                        text: "Последняя печать"
                        font.pixelSize: 16
                        font.bold: true
                        color: "#F6FAFF"
                    }
                    Text {
                        objectName: "recentPrintedText"
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        text: PageLogic.recentPrintedText(dashboard.recentPrinted, 5)
                        font.pixelSize: 13
                        lineHeight: 1.5
                        color: "#C9D7EC"
                        elide: Text.ElideRight
                        wrapMode: Text.NoWrap
                    }
                }
            }
        }
    }
}
