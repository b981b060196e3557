import QtQuick
import QtQuick.Controls

ComboBox {
    id: control

    implicitHeight: 38
    leftPadding: 12
    rightPadding: 34
    font.pixelSize: 13
    hoverEnabled: true

    contentItem: Text {
        leftPadding: 0
        // With no entries the owner's displayText may say so.
        text: control.currentIndex >= 0 || control.count === 0 ? control.displayText : ""
        font: control.font
        color: "#E8EEF8"
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }

    indicator: Text {
        x: control.width - width - 12
        y: (control.height - height) / 2 - 3
        text: "⌄"
        font.pixelSize: 18
        font.bold: true
        color: "#8FA2BE"
    }

    background: Rectangle {
        implicitWidth: 160
        implicitHeight: 38
        radius: 9
        color: control.visualFocus ? "#121D30" : control.hovered ? "#162235" : "#101827"
        border.width: 1
        border.color: control.visualFocus ? "#6E8EF5" : control.hovered ? "#344763" : "#243551"
    }

    // Works with string lists, arrays of objects (textRole) and item models alike.
    delegate: ItemDelegate {
        id: row
        width: ListView.view ? ListView.view.width : control.width
        height: 34
        hoverEnabled: true
        highlighted: control.highlightedIndex === index
        contentItem: Text {
            text: control.textRole
                  ? (Array.isArray(control.model) ? modelData[control.textRole] : model[control.textRole])
                  : modelData
            font.pixelSize: 13
            color: "#E8EEF8"
            elide: Text.ElideRight
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            radius: 7
            color: row.highlighted ? "#18243A" : "transparent"
        }
    }

    popup: Popup {
        y: control.height + 4
        width: control.width
        padding: 6
        implicitHeight: Math.min(280, list.contentHeight + 2 * padding)
        contentItem: ListView {
            id: list
            clip: true
            implicitHeight: contentHeight
            model: control.popup.visible ? control.delegateModel : null
            currentIndex: control.highlightedIndex
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}
        }
        background: Rectangle {
            radius: 9
            color: "#0B111C"
            border.width: 1
            border.color: "#1F2D45"
        }
    }
}
