import QtQuick

// A short technical status; long messages belong in toasts or the journal.
Rectangle {
    id: pill

    property string label: ""
    property string value: ""
    property string iconName: ""
    property color accent: "#22C55E"
    property bool subtle: false
    property real minWidth: 96
    property real maxWidth: 340
    property real labelMaxWidth: 128

    readonly property bool hasIcon: iconName.trim().length > 0
    readonly property real markerWidth: hasIcon ? 16 : 6
    readonly property real markerGap: hasIcon ? 8 : 7
    readonly property real labelWidth: Math.min(labelMaxWidth, Math.ceil(labelMetrics.advanceWidth) + 8)

    TextMetrics {
        id: labelMetrics
        font.pixelSize: 10
        text: pill.label
    }
    TextMetrics {
        id: valueMetrics
        font.pixelSize: 11
        font.bold: true
        text: pill.value
    }

    implicitHeight: 30
    implicitWidth: Math.max(minWidth, Math.min(maxWidth,
        labelWidth + Math.ceil(valueMetrics.advanceWidth) + markerWidth + markerGap + 32))
    radius: 8
    color: subtle ? "transparent" : "#101827"
    border.width: subtle ? 0 : 1
    border.color: "#243551"
    clip: true

    Rectangle {
        x: 0
        width: 2
        height: parent.height
        color: pill.accent
    }

    Row {
        id: row
        anchors.left: parent.left
        anchors.leftMargin: 12
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8

        Item {
            width: pill.markerWidth
            height: pill.markerWidth
            anchors.verticalCenter: parent.verticalCenter
            IconMark {
                anchors.fill: parent
                visible: pill.hasIcon
                name: pill.iconName
                color: pill.accent
            }
            Rectangle {
                visible: !pill.hasIcon
                anchors.fill: parent
                radius: 3
                color: pill.accent
            }
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: pill.labelWidth
            text: pill.label
            font.pixelSize: 10
            color: "#8EA0BA"
            elide: Text.ElideRight
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(36, row.width - pill.markerWidth - pill.labelWidth - 2 * row.spacing)
            text: pill.value
            font.pixelSize: 11
            font.bold: true
            color: "#E8EEF8"
            elide: Text.ElideRight
        }
    }
}
