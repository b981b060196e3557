.pragma library

// The icons shipped under ":/icons/" (one SVG per name, see scripts/pick-icons.sh).
var names = [
    "sync", "link", "ink", "fire", "supplies", "warning", "key", "droplet", "flag", "play",
    "ruler", "roller", "employees", "plus", "info", "megaphone", "upload", "lock", "roll", "bolt",
    "home", "phone", "copy", "close", "cloud", "open", "message", "scripts", "warehouse", "mail",
    "download", "flame", "search", "trash", "update", "save", "warehouses", "error", "box",
    "consumables", "scissors", "bug", "printer", "defects", "star", "folder", "palette", "stop",
    "gear", "settings", "bugs", "shield", "bell", "help", "success", "refresh", "brush", "orders",
    "delete", "server", "eye", "danger", "chat"
]

var lookup = {}
for (var i = 0; i < names.length; ++i)
    lookup[names[i]] = true

function has(name) {
    return lookup[String(name)] === true
}
