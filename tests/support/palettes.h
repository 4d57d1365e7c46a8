#pragma once

#include <QColor>
#include <QPalette>

/// A dark palette as dark desktop themes set it: light text on dark grey, and
/// a link blue that is too dark to read there, as many such themes have.
inline QPalette darkPalette() {
    QPalette dark;
    const QColor face(0x35, 0x35, 0x35);
    const QColor text(0xee, 0xee, 0xee);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Window, face);
        dark.setColor(group, QPalette::WindowText, text);
        dark.setColor(group, QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
        dark.setColor(group, QPalette::AlternateBase, QColor(0x42, 0x42, 0x42));
        dark.setColor(group, QPalette::Text, text);
        dark.setColor(group, QPalette::Button, face);
        dark.setColor(group, QPalette::ButtonText, text);
        dark.setColor(group, QPalette::Link, QColor(0x2a, 0x82, 0xda));
        dark.setColor(group, QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
        dark.setColor(group, QPalette::HighlightedText, Qt::black);
        dark.setColor(group, QPalette::ToolTipBase, face);
        dark.setColor(group, QPalette::ToolTipText, text);
        dark.setColor(group, QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0x9a));
    }
    dark.setColor(QPalette::Disabled, QPalette::Window, face);
    dark.setColor(QPalette::Disabled, QPalette::Button, face);
    dark.setColor(QPalette::Disabled, QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return dark;
}
