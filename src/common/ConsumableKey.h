#pragma once

#include <QString>

// Names of consumable items as the server knows them. Texts typed by people or printed
// on wall QR codes ("Маленькая шкатулка", "Фреска белая 2") become stable keys.

// Lower case, "ё" read as "е", runs of white space collapsed to one blank, trimmed.
QString normalizeConsumableText(const QString &text);

// The built-in key of a known item ("коробка маленькая" -> "small_box", "холст" ->
// "canvas", "cyan" -> "cyan"), or empty. Expects normalised text.
QString knownConsumableKey(const QString &normalizedText);

// a-z and digits kept, Cyrillic transliterated, everything else one "_" (never doubled,
// never leading or trailing): "Фреска белая 2" -> "freska_belaya_2".
QString slugifyConsumable(const QString &text);

// The known key of the text, else its slug.
QString canonicalConsumableKey(const QString &text);
