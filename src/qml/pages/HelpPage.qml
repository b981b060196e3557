import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "../PageLogic.js" as PageLogic

// The tenant's own instructions, or the built-in overview when the server sent none.
Item {
    id: page

    property var shell: null
    // Rebuilt only when the text of the sections changes, not on every settings change.
    readonly property string sectionsJson: JSON.stringify(appSettings.helpSections)
    readonly property var sections: PageLogic.helpSections(JSON.parse(sectionsJson))

    Flickable {
        id: flick
        anchors.fill: parent
        clip: true
        contentWidth: width
        contentHeight: column.implicitHeight
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

        ColumnLayout {
            id: column
            width: flick.width - 14
            spacing: 16

            GlassPanel {
                Layout.fillWidth: true
                showAccent: true
                accentColor: "#7ECFFF"
                contentMargin: 20
                ColumnLayout {
                    width: parent.width
                    spacing: 4
                    Text {
                        text: "Инструкция"
                        font.pixelSize: 22
                        font.bold: true
                        color: "#F6FAFF"
                    }
                    Text {
                        text: "Раздел для Ваших инструкций."
                        font.pixelSize: 13
                        color: "#8FA3C4"
                    }
                }
            }

            // Positioners, not layouts, around the Repeaters (see HomePage).
            Grid {
                id: sectionGrid
                objectName: "helpSections"
                Layout.fillWidth: true
                columns: width > 1000 ? 3 : 2
                spacing: 16

                Repeater {
                    objectName: "helpSectionRepeater"
                    // A few sections at most; each is one panel.
                    model: page.sections
                    delegate: GlassPanel {
                        required property var modelData
                        width: (sectionGrid.width - (sectionGrid.columns - 1) * sectionGrid.spacing) / sectionGrid.columns
                        contentMargin: 18

                        Column {
                            width: parent.width
                            spacing: 10
                            Text {
                                width: parent.width
                                text: modelData.title
                                font.pixelSize: 17
                                font.bold: true
                                color: "#F6FAFF"
                                wrapMode: Text.Wrap
                            }
                            Repeater {
                                model: modelData.cards
                                delegate: Rectangle {
                                    required property var modelData
                                    width: parent ? parent.width : 0
                                    implicitHeight: cardColumn.implicitHeight + 24
                                    radius: 9
                                    color: "#101B2C"
                                    border.color: "#1F2D45"
                                    ColumnLayout {
                                        id: cardColumn
                                        anchors.left: parent.left
                                        anchors.right: parent.right
                                        anchors.top: parent.top
                                        anchors.margins: 12
                                        spacing: 6
                                        Text {
                                            Layout.fillWidth: true
                                            visible: text.length > 0
                                            text: modelData.title
                                            font.pixelSize: 14
                                            font.bold: true
                                            color: "#7ECFFF"
                                            wrapMode: Text.Wrap
                                        }
                                        Text {
                                            Layout.fillWidth: true
                                            visible: text.length > 0
                                            text: modelData.body
                                            font.pixelSize: 13
                                            color: "#C9D7EC"
                                            wrapMode: Text.Wrap
                                        }
                                        Text {
                                            Layout.fillWidth: true
                                            visible: text.length > 0
                                            text: modelData.lines.join("\n")
                                            font.pixelSize: 13
                                            lineHeight: 1.2
                                            color: "#DDE8F8"
                                            wrapMode: Text.Wrap
                                        }
                                    }
                                }
                            }
                        }
                    }
                }
            }

            GlassPanel {
                Layout.fillWidth: true
                fillColor: "#101B2C"
                strokeColor: "#46617F"
                contentMargin: 16
                RowLayout {
                    width: parent.width
                    spacing: 10
                    IconMark { name: "info"; color: "#7ECFFF" }
                    Text {
                        Layout.fillWidth: true
                        text: "Сканер и RFID подключаются в нижнем блоке сайдбара. Сначала выбери COM-порт, потом нажми «Подключить»."
                        font.pixelSize: 13
                        color: "#C9D7EC"
                        wrapMode: Text.Wrap
                    }
                }
            }
        }
    }
}
