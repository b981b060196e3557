import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "../ShellLogic.js" as Logic

// "What's new", shown once per version until the operator confirms it.
OverlayVeil {
    id: overlay

    readonly property string version: Logic.trimmed(releaseNotes.version)
    readonly property string heading: version.length > 0 ? "Что нового в версии " + version : "Что нового"
    readonly property string releaseTitle: Logic.trimmed(releaseNotes.title)
    readonly property string notes: Logic.text(releaseNotes.notes)
    readonly property real boxMaxHeight: Math.min(280, Math.max(120, overlay.height - 390))
    readonly property real boxMinHeight: notes.length < 140 ? 56 : 84

    color: "#B3081019"
    panel: card
    onOutsideClicked: releaseNotes.markSeen()

    TextMetrics {
        id: headingMetrics
        font.pixelSize: 24
        font.bold: true
        text: overlay.heading
    }

    // The widest line of the notes, so short notes get a narrow panel.
    Text {
        id: notesMeasure
        visible: false
        text: overlay.notes
        font.pixelSize: 15
    }

    GlassPanel {
        id: card
        anchors.centerIn: parent
        width: Math.min(overlay.width - 72,
                        Math.max(460, Math.min(640, Math.max(headingMetrics.advanceWidth + 60,
                                                             notesMeasure.implicitWidth + 74))))
        height: Math.min(overlay.height - 96, Math.max(218, content.implicitHeight + 40))
        fillColor: "#101B2C"
        strokeColor: "#46617F"
        accentColor: "#7ECFFF"
        showAccent: true
        panelRadius: 10
        contentMargin: 20

        ColumnLayout {
            id: content
            anchors.fill: parent
            spacing: 10
            Text {
                Layout.fillWidth: true
                text: overlay.heading
                font.pixelSize: 24
                font.bold: true
                color: "#F6FAFF"
                elide: Text.ElideRight
            }
            Text {
                Layout.fillWidth: true
                visible: overlay.releaseTitle.length > 0
                text: overlay.releaseTitle
                font.pixelSize: 14
                color: "#9AB0D1"
                wrapMode: Text.Wrap
            }
            Rectangle {
                Layout.fillWidth: true
                Layout.preferredHeight: Math.max(overlay.boxMinHeight,
                                                 Math.min(overlay.boxMaxHeight, notesArea.contentHeight + 26))
                radius: 9
                color: "#132234"
                border.width: 1
                border.color: "#46617F"
                ScrollView {
                    anchors.fill: parent
                    anchors.margins: 1
                    clip: true
                    TextArea {
                        id: notesArea
                        text: overlay.notes
                        readOnly: true
                        selectByMouse: true
                        wrapMode: TextEdit.Wrap
                        padding: 12
                        font.pixelSize: 15
                        color: "#DDE8F8"
                        selectionColor: "#5865F2"
                        selectedTextColor: "#FFFFFF"
                        background: null
                    }
                }
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 12
                Text {
                    Layout.fillWidth: true
                    text: "Покажем один раз для ознакомления."
                    font.pixelSize: 13
                    color: "#8FA3C4"
                    elide: Text.ElideRight
                }
                GlassActionButton {
                    Layout.preferredWidth: 140
                    primary: true
                    text: "Понятно"
                    onClicked: releaseNotes.markSeen()
                }
            }
        }
    }
}
