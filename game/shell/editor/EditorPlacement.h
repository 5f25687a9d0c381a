#pragma once

class Object;
struct EditorObjectEntry;

// How the editor moves and removes the world objects it places. Windows
// mark the wall cell under them, so every move and removal goes through
// here to keep those marks with the window.
namespace EditorPlacement {

// Positive values go down to a multiple of 8; others stay.
float Snap8(float v);
void MoveObject(Object* object, float x, float y);
// A window lets go of its cell, or marks the cell at its position.
void Unmark(Object* object);
void Remark(Object* object);
// Destroys the object; the world forgets it.
void DestroyObject(Object* object);
// The entry's position snapped and handed to its object when it moved.
void SnapEntry(EditorObjectEntry& entry);

} // namespace EditorPlacement
