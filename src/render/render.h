// The renderer: the render lists and the scene composed from its layers (scene.h), the star
// field with its labels, the deep-sky objects with theirs, the galaxy, the 3D nebula models, the
// local-space chart, the sprites and the line font.
//
// Contract.
// - start() is the renderers' start-up step: it empties the lists, indexes the catalogue's star
//   tree, loads the sprites, the line font, the nebula models (nebulae.h) and the chart legend's
//   font from the packs, builds the chart's wireframe sphere and adds the renderer's layers to
//   the scene: stars, deep sky and nebulae, star labels, deep-sky labels, galaxy (the sky modes)
//   and the local-space chart (mode 1). stop() takes them out again. start returns 1: a missing
//   sprite, font or model is drawn without (a nebula without its model as its symbol).
// - The lists are fixed arrays for the whole run; a build starts from empty lists and never
//   allocates; a full list stops the collection of its kind. Between builds the records stay
//   valid and only their projection changes with the camera's orientation.
// - The draw picks the object under the pointer (input::pointer, as the poll of this pass saw
//   it): a pending left click locks it through camera::lockObject (event 519), otherwise it
//   becomes the camera's hover and event 518 is broadcast. A pending click is taken by the
//   first frame that sees it with the pointer over neither an in-scene window nor the toolbar,
//   whether or not it locks something, so that a click on empty sky does not lock a star the
//   pointer reaches later.
// - Main thread only.
#pragma once

#include <cstdint>

#include "render/scene.h"

namespace render {

int start();
void stop();

// The star collection keeps an index of the catalogue's star tree, made by start and made again
// when a catalogue at another address or of another size is attached. Whoever replaces the
// attached catalogue's contents in place (tests, tools) calls this before the next build.
void catalogueChanged();

// Counts of the lists, for the console's render status.
struct ListCounts {
    int sky, stars, deepSky, texts, lines, spots, nebulaPoints;
    int local;  // rList: the local-space view's draw list (0 outside that view)
};
ListCounts listCounts();
// What each list holds at most; a full list stops the collection of its kind.
ListCounts listCapacities();

// The object identifier of SkyList item `index`: −1 outside the list, −2 for an item that is not
// a star or deep-sky object.
int32_t skyListObject(int index);

// The local-space chart's star discs by absolute magnitude (the stored LSmagDiam setting 1) or
// by diameter (0), as the B key switches them and the Config panel sets them; settings changed
// with a rebuild.
void toggleLocalDiscMode();
void setLocalDiscMode(int byMagnitude);

}  // namespace render
