import QtQuick
import QtQuick.Controls
import "../../components"

// The frame every dialog of the orders page shares: a modal panel centred over the
// window, as high as its content. The content goes in as children.
Popup {
    id: frame

    default property alias body: panel.content
    property real maxWidth: 760
    property color fillColor: "#101B2C"
    property color strokeColor: "#46617F"
    property color accentColor: "#7ECFFF"

    parent: Overlay.overlay
    modal: true
    focus: true
    z: 86
    anchors.centerIn: parent
    width: Math.min(maxWidth, (parent ? parent.width : maxWidth) - 72)
    padding: 0
    closePolicy: Popup.CloseOnEscape
    Overlay.modal: Rectangle { color: "#B3081019" }
    background: Item {}

    contentItem: GlassPanel {
        id: panel
        fillColor: frame.fillColor
        strokeColor: frame.strokeColor
        accentColor: frame.accentColor
        showAccent: true
        contentMargin: 22
    }
}
