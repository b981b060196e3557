import QtQuick
import QtTest
import "qrc:/qt/qml/VornClient/components"

Item {
    width: 900
    height: 600

    GlassActionButton { id: labelled; text: "Подключить"; iconName: "play" }
    GlassActionButton { id: compactButton; compact: true; text: "OK" }
    GlassActionButton { id: refreshIcon; iconName: "refresh"; iconOnly: true }
    GlassActionButton { id: namedIcon; iconName: "play"; iconOnly: true; text: "Запуск" }
    GlassActionButton { id: otherIcon; iconName: "bolt"; iconOnly: true }
    IconMark { id: known; x: 700; y: 500; width: 36; height: 36; name: " warning " }
    IconMark { id: unknown; name: "check" }
    IconMark { id: empty; name: "" }
    StatusPill { id: pill; label: "Сканер 1"; value: "включён" }
    StatusPill { id: longPill; label: "Очень длинная подпись статуса"; value: "очень длинное значение статуса, которое не помещается" }
    GlassPanel { id: emptyPanel }
    GlassPanel { id: panel; contentMargin: 10; Item { implicitWidth: 50; implicitHeight: 20 } }
    CompactSwitch { id: owned; checked: false }
    GlassComboBox { id: emptyChooser; x: 300; y: 300; model: []; displayText: count > 0 ? currentText : "COM-порты не найдены" }
    GlassComboBox {
        id: roleChooser
        x: 300
        y: 350
        width: 200
        textRole: "name"
        model: ListModel {
            ListElement { name: "COM3" }
            ListElement { name: "COM7" }
        }
    }
    SignalSpy { id: toggledSpy; target: owned; signalName: "toggled" }

    TestCase {
        name: "Components"
        when: windowShown

        // Short texts keep the minimum widths; an icon-only button is square.
        function test_button_widths() {
            verify(labelled.width >= 118)
            compare(compactButton.width, 74)
            compare(refreshIcon.width, refreshIcon.height)
        }

        function test_button_keeps_its_size_when_pressed() {
            var width = labelled.width
            mousePress(labelled)
            compare(labelled.width, width)
            mouseRelease(labelled)
            compare(labelled.width, width)
        }

        function test_default_tooltips() {
            compare(refreshIcon.toolTip, "Обновить")
            compare(namedIcon.toolTip, "Запуск")
            compare(otherIcon.toolTip, "")
            compare(labelled.toolTip, "")
        }

        function test_icons_draw_or_ring() {
            tryCompare(known, "drawn", true)
            compare(unknown.drawn, false)
            compare(empty.drawn, false)
        }

        function test_icon_takes_its_colour() {
            known.color = "#FF0000"
            tryCompare(known, "drawn", true)
            waitForRendering(known)
            var image = grabImage(known)
            var red = 0
            for (var x = 0; x < image.width; ++x) {
                for (var y = 0; y < image.height; ++y) {
                    var p = image.pixel(x, y)
                    if (p.r > 0.7 && p.g < 0.3 && p.b < 0.3)
                        ++red
                }
            }
            verify(red > 5, "red pixels: " + red)
        }

        function test_pill_width() {
            compare(pill.height, 30)
            verify(pill.width >= 96)
            compare(longPill.width, 340)
        }

        function test_panel_implicit_size() {
            compare(emptyPanel.implicitWidth, 0)
            compare(panel.implicitWidth, 70)
            compare(panel.implicitHeight, 40)
        }

        function test_chooser_texts() {
            compare(emptyChooser.contentItem.text, "COM-порты не найдены")
            roleChooser.popup.open()
            tryCompare(roleChooser.popup, "opened", true)
            var list = roleChooser.popup.contentItem
            tryCompare(list, "count", 2)
            tryVerify(function() { return list.itemAtIndex(1) !== null }, 3000, "second row")
            compare(list.itemAtIndex(1).contentItem.text, "COM7")
            roleChooser.popup.close()
        }

        function test_switch_leaves_state_to_owner() {
            mouseClick(owned)
            compare(toggledSpy.count, 1)
            compare(toggledSpy.signalArguments[0][0], true)
            compare(owned.checked, false)
        }
    }
}
