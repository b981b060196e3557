import QtQuick
import QtQuick.Layouts
import "../../components"
import "SetupRules.js" as Rules

// One row per work folder: the path (saved when the edit ends), a picker and an open button.
ColumnLayout {
    id: folders
    property var rows: Rules.folderRows
    property int labelWidth: 150
    spacing: 10

    Repeater {
        model: folders.rows
        delegate: RowLayout {
            id: row
            required property var modelData
            readonly property string path: Rules.folderValue(appSettings, modelData.key)
            Layout.fillWidth: true
            spacing: 10

            Text {
                Layout.preferredWidth: folders.labelWidth
                text: row.modelData.label
                color: "#C9D7EC"
                font.pixelSize: 13
                elide: Text.ElideRight
            }
            GlassTextField {
                id: field
                Layout.fillWidth: true
                text: row.path
                placeholderText: row.modelData.title
                onEditingFinished: Rules.setFolderValue(appSettings, row.modelData.key, field.text)
            }
            GlassActionButton {
                compact: true
                text: "Выбрать"
                iconName: "folder"
                onClicked: {
                    var chosen = localTools.pickDirectory(row.path, row.modelData.title)
                    if (Rules.text(chosen).length > 0)
                        Rules.setFolderValue(appSettings, row.modelData.key, chosen)
                }
            }
            GlassActionButton {
                compact: true
                iconOnly: true
                iconName: "open"
                enabled: row.path.length > 0 && localTools.pathExists(row.path)
                onClicked: localTools.openPath(row.path)
            }
        }
    }
}
