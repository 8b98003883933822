// Private to the markers: the console words they add at their start.
#pragma once

namespace markers {

void addMarkerWords();
void removeMarkerWords();

}  // namespace markers
