#pragma once

#include <string>
#include <vector>

// The Clipboard window's contents apart from its controls: the resources
// of the scatter brush (each once, by definition id, with the image each
// item shows) and the scatter settings as the edits give them.
class ClipboardModel {
public:
    enum Field { Scatter, Count, Range, kFields };

    struct Settings {
        bool angleJitter = true;
        int scatter = 200;
        int count = 2;
        int range = 32;
    };

    // The spin's range and step of a field.
    static int Maximum(Field f) { return f == Count ? 500 : 5000; }
    static int Step(Field f) { return f == Count ? 1 : 10; }
    // An edit's text: decimal, 0 when not a number, held to the spin's range
    // (a count typed far beyond it would stall the scatter brush).
    static int FieldValue(Field f, const std::u16string& text);
    // A spin arrow: the position moved by delta steps, within the range.
    static int Spin(Field f, int position, int delta);

    // False when the id is held already.
    bool Add(int definitionId);
    // The removed item's image index, -1 when the id is not held. Items
    // whose image came after it now show the image one lower.
    int Remove(int definitionId);
    bool Contains(int definitionId) const;
    // The image index of an id, -1 when not held.
    int ImageOf(int definitionId) const;
    int GetCount() const { return int(items_.size()); }

private:
    struct Item {
        int definitionId;
        int image;
    };
    std::vector<Item> items_;
};
