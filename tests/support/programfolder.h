// Program folders for whole runs of the program in tests: the packs a start-up needs, built from
// the files the project ships and from synthetic catalogues.
#pragma once

#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "support/packwriter.h"

namespace programfolder {

// The catalogue files by name, in load order.
extern const char* const kCatalogueNames[catalog::kCatalogFileCount];

// Bytes of a shipped file, data/<folder>/<name> of the source tree; empty when it is missing.
std::string shipped(const std::string& folder, const std::string& name);

// What the program pack must hold for a start-up to pass the video, console, Z windows and
// toolbar steps: the pointer bitmaps, the close box, the toolbar's two bitmaps and, with
// `withFont`, the console font.
std::vector<packwriter::MemoryFile> startupFiles(bool withFont = true);

// A catalogue's eight files as pack entries. An empty file becomes one zero byte: the pack holds
// it, and it is one byte short of any record, so it holds none.
std::vector<packwriter::MemoryFile> catalogueFiles(const catalog::CatalogFiles& files);

// The shipped catalogue's eight files.
std::vector<packwriter::MemoryFile> shippedCatalogue();

// Undoes what a whole run of the program left behind: the exit hook and fatal wait, the process
// flags, the headless backend, the store location, and the temporary folder `root`.
void cleanUpRun(const std::string& root);

}  // namespace programfolder
