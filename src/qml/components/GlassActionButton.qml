import QtQuick
import QtQuick.Controls

// The one action button of the application.
Button {
    id: control

    property bool primary: false
    property bool compact: false
    property string iconName: ""
    property bool iconOnly: false
    property string tone: ""
    property real iconSize: iconOnly ? (compact ? 17 : 18) : (compact ? 15 : 16)
    property string toolTip: iconOnly ? (text.length > 0 ? text : defaultToolTip(iconName)) : ""

    readonly property real sidePadding: compact ? 18 : 22
    readonly property bool hasIcon: iconName.trim().length > 0
    readonly property color contentColor: !enabled ? "#718096"
        : (primary || tone === "success" || tone === "danger") ? "#FFFFFF" : "#DDE7F7"

    function defaultToolTip(name) {
        switch (String(name).trim()) {
        case "refresh": return "Обновить"
        case "copy": return "Копировать"
        case "search": return "QR"
        case "open": return "Открыть"
        case "folder": return "Папка"
        case "play": return "Старт"
        case "stop": return "Стоп"
        case "close": return "Закрыть"
        case "trash":
        case "delete": return "Удалить"
        case "plus": return "Добавить"
        case "printer": return "Печать"
        case "save": return "Сохранить"
        }
        return ""
    }

    function fillFor(normal, hover, down) {
        return control.pressed ? down : control.hovered ? hover : normal
    }

    // Measured once from the text and font, so hover and press never resize the button.
    TextMetrics {
        id: label
        font: control.font
        text: control.text
    }

    implicitHeight: compact ? 36 : 42
    implicitWidth: iconOnly ? implicitHeight
        : Math.max(compact ? 74 : 118,
                   Math.ceil(label.advanceWidth) + (hasIcon ? iconSize + 6 : 0) + 2 * sidePadding)
    padding: 0
    leftPadding: iconOnly ? 0 : sidePadding
    rightPadding: iconOnly ? 0 : sidePadding
    opacity: enabled ? 1 : 0.62
    font.pixelSize: compact ? 13 : 14
    font.bold: primary
    hoverEnabled: true

    ToolTip.visible: hovered && toolTip.length > 0
    ToolTip.delay: 450
    ToolTip.text: toolTip

    background: Rectangle {
        radius: 9
        color: !control.enabled ? "#101827"
            : control.tone === "success" ? control.fillFor("#178B52", "#1EA866", "#0F6B3F")
            : control.tone === "danger" ? control.fillFor("#BC2D46", "#D93955", "#8E2338")
            : control.primary ? control.fillFor("#5865F2", "#6672FF", "#4653D9")
            : control.fillFor("#121B2C", "#1A2740", "#101827")
        readonly property bool plain: control.tone !== "success" && control.tone !== "danger" && !control.primary
        border.width: !control.enabled || plain ? 1 : 0
        border.color: !control.enabled ? "#1F2D45" : control.hovered ? "#3A4B6D" : "#243551"
    }

    contentItem: Item {
        implicitWidth: row.implicitWidth
        implicitHeight: row.implicitHeight
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 6
            IconMark {
                visible: control.hasIcon
                anchors.verticalCenter: parent.verticalCenter
                width: control.iconSize
                height: control.iconSize
                name: control.iconName
                color: control.contentColor
            }
            Text {
                visible: !control.iconOnly && control.text.length > 0
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(Math.ceil(label.advanceWidth) + 1,
                                row.parent.width - (control.hasIcon ? control.iconSize + 6 : 0))
                text: control.text
                font: control.font
                color: control.contentColor
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
}
