// The object information text: the described object, the summary line and name, the detail
// lines by kind of object, the note with its slider, each formed only when what it shows changes.
#include "zwindows/info.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/input_state.h"
#include "catalog/catalog.h"
#include "navigation/camera.h"
#include "render/linefont.h"
#include "systems/system.h"
#include "video/video.h"
#include "zwindows/zwindows.h"

namespace zwindows {
namespace {

constexpr double kLyPerParsec = 3.2616;
constexpr double kKmPerAu = 149600000.0;
constexpr double kDegreesPerRadian = 180.0 / 3.14159265359;
constexpr double kNameScale = 3.0;

// Detail positions, pixels below the bar's top.
constexpr int kSeparatorDy = 28;
constexpr int kFirstLineDy = 32;
constexpr int kLineDy = 12;
constexpr int kTemperatureX = 290;
constexpr int kRampX = 160;
constexpr int kNoteBoxX = 4;

int showsLock = 0;
InfoTexts texts;

// What the summary was formed from: it is formed again when any of it changes.
struct Seen {
    int32_t object = -1;
    Vector3 observer{0, 0, 0};
    Vector3 where{0, 0, 0};
    bool found = false;
};
Seen summarySeen, detailSeen;

Viewer note;  // the note box's layout; its links go to the help handler
int noteWidth = -1;  // the surface width the note was laid out for
int slider = 0;
bool noteScrolls = false;
draw::BitmapPtr thumb, arrowUp, arrowDown;

bool same(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

double length(const Vector3& v) { return std::sqrt(vmath::lengthSquared(v)); }

void format(InfoLine& line, int x, int dy, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
void format(InfoLine& line, int x, int dy, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(line.text, sizeof line.text, fmt, args);
    va_end(args);
    line.x = x;
    line.dy = dy;
    line.length = n < 0 ? 0 : (n < kInfoLineBytes ? n : kInfoLineBytes - 1);
}

void copyName(char (&out)[kInfoNameBytes], const char* text) {
    std::snprintf(out, sizeof out, "%s", text);
}

// The catalogue's names in the long form for one call, as the information text shows them.
void longStarName(uint32_t index, char (&out)[kInfoNameBytes]) {
    const int form = catalog::longNames;
    catalog::longNames = 1;
    catalog::starName(index, out);
    catalog::longNames = form;
}

// The observer of an object of `kind` and the object's place: light years for stars and
// deep-sky objects, kilometres for the entered system's bodies and companions.
bool locate(int32_t object, int kind, Vector3& observer, Vector3& where) {
    const CameraRecord& c = *camera::activeCamera();
    if (kind == 2 || kind == 3) {
        observer = c.SPos;
        const systems::SystemObject* o = systems::findObject(object);
        if (!o) return false;
        where = o->position;
        return true;
    }
    observer = c.IPos;
    return catalog::objectPosition(static_cast<catalog::ObjectId>(object), where) != 0;
}

void formSummary(int32_t object, int kind, const Vector3& observer, const Vector3& where) {
    ++texts.summaryFormed;
    texts.summaryObject = object;
    texts.name[0] = texts.type[0] = 0;
    const double d = length(vmath::operator-(where, observer));
    InfoLine& line = texts.summary;
    switch (kind) {
        case 0: {
            catalog::StarRecord star{};
            catalog::readStar(static_cast<uint32_t>(object), star);
            longStarName(static_cast<uint32_t>(object), texts.name);
            catalog::spectralText(star.spectral, texts.type);
            const double absMag = star.absMag / catalog::kFixed;
            const double appMag = absMag - 5.0 + 2.5 * std::log10(d * d / (kLyPerParsec * kLyPerParsec));
            if (d == 0.0) format(line, 4, 18, "Class:%s", texts.type);
            else format(line, 4, 18, "Class:%s , mag:%4.4lf , Dist:%12.2lfLy", texts.type, appMag, d);
            return;
        }
        case 1: {
            catalog::DeepSkyRecord record{};
            catalog::readDeepSky(static_cast<uint32_t>(object) - catalog::kDeepSkyBase, record);
            catalog::deepSkyName(static_cast<catalog::ObjectId>(object), texts.name);
            static constexpr const char* kTypeWords[] = {"Open Cluster", "Pulsar Star", "Globular Cluster", "",
                                                         "Nebula"};
            copyName(texts.type, record.type < 5 ? kTypeWords[record.type] : "");
            // Clusters are seen by their light; a pulsar's record magnitude means nothing to the eye.
            const bool magnitude = record.type == catalog::kOpenCluster || record.type == catalog::kGlobularCluster;
            const double appMag = record.absMag / catalog::kFixed - 5.0 + 5.0 * std::log10(d / kLyPerParsec);
            if (d == 0.0) format(line, 4, 18, "Type:%s", texts.type);
            else if (magnitude) format(line, 4, 18, "Type:%s , mag:%4.4lf , Dist:%12.2lfLy", texts.type, appMag, d);
            else format(line, 4, 18, "Type:%s , Dist:%12.2lfLy", texts.type, d);
            return;
        }
        default: {
            const systems::SystemObject* o = systems::findObject(object);
            copyName(texts.name, o ? o->name : "");
            if (kind == 2)
                format(line, 4, 18, "Radius:%12.1lfKm , Dist:%12.1lfKm (%4.4lfAU)", o ? o->radius : 0.0, d,
                       d / kKmPerAu);
            else
                format(line, 4, 18, "Dist:%12.1lfKm (%4.4lfAU)", d, d / kKmPerAu);
            return;
        }
    }
}

void formStarDetails(uint32_t index, const Vector3& observer) {
    catalog::StarInfo s;
    const int form = catalog::longNames;
    catalog::longNames = 0;  // the extra names in the short form
    catalog::starInfo(index, observer, s);
    catalog::longNames = form;
    InfoLine* l = texts.details;
    format(l[0], 4, kFirstLineDy, "ID:%08X   Names:%s   %s   %s   %s", static_cast<uint32_t>(s.id), s.designation,
           s.bayerName, s.flamsteedName, s.otherName);
    format(l[1], 4, kFirstLineDy + kLineDy, "Sol (X:%8.2lf  Y:%8.2lf  Z:%8.2lf) Distance:%8.2lfLy", s.position.x,
           s.position.y, s.position.z, length(s.position));
    format(l[2], 4, kFirstLineDy + 2 * kLineDy, "Rel (X:%8.2lf  Y:%8.2lf  Z:%8.2lf) Distance:%8.2lfLy",
           s.relative.x, s.relative.y, s.relative.z, s.distance);
    format(l[3], 4, kFirstLineDy + 3 * kLineDy, "Mag:%4.4lf, B-V:%4.4lf", s.absMag, s.colourBV);
    format(l[4], kTemperatureX, kFirstLineDy + 3 * kLineDy, "(%6.2lfK)", s.temperature);
    const bool known = s.knownRadius != 0.0;
    format(l[5], 4, kFirstLineDy + 4 * kLineDy, "L:%6.2lf,  Mass:%6.2lf,  Radius:%6.2lf%c,  Rspeed:%6.1lfKm/s",
           s.luminosity, s.solarMass, known ? s.knownRadius : s.estRadius, known ? ' ' : '*', s.radialSpeed);
    int n = 6;
    if (s.varPeriod != 0.0)
        format(l[n++], 4, kFirstLineDy + 5 * kLineDy, "minMag:%4.4lf,  maxMag:%4.4lf,  Period:%4.6lf days", s.minMag,
               s.maxMag, s.varPeriod);
    const int components = catalog::componentCount(index);
    if (components >= 2) format(l[n++], 4, kFirstLineDy + 6 * kLineDy, "Number of comp. %d", components);
    texts.detailCount = n;
    catalog::StarRecord star{};
    catalog::readStar(index, star);
    texts.colourRamp = 1;
    texts.rampMark = catalog::starColourIndex(star.colourBV);
}

void formDeepSkyDetails(int32_t object, const Vector3& observer) {
    catalog::DeepSkyInfo d;
    catalog::deepSkyInfo(static_cast<catalog::ObjectId>(object), observer, d);
    InfoLine* l = texts.details;
    format(l[0], 4, kFirstLineDy, "ID:%08X", static_cast<uint32_t>(object));
    format(l[1], 4, kFirstLineDy + kLineDy, "Sol (X:%8.2lf  Y:%8.2lf  Z:%8.2lf) Distance:%8.2lfLy", d.position.x,
           d.position.y, d.position.z, length(d.position));
    format(l[2], 4, kFirstLineDy + 2 * kLineDy, "Rel (X:%8.2lf  Y:%8.2lf  Z:%8.2lf) Distance:%8.2lfLy",
           d.relative.x, d.relative.y, d.relative.z, d.distance);
    const int y4 = kFirstLineDy + 3 * kLineDy, y5 = kFirstLineDy + 4 * kLineDy;
    int n = 3;
    switch (d.type) {
        case catalog::kOpenCluster:
            format(l[n++], 4, y4, "Mag:%4.4lf, Mag of brightest star:%4.4lf", d.absMag, d.value3);
            format(l[n++], 4, y5, "Diameter:%6.1lfLy, log(Age):%lf, Tr:%s", d.value1, d.value2, d.trumpler);
            break;
        case catalog::kPulsar:
            format(l[n++], 4, y4, "Period:%lfsec, log(radioL):%lf, log(Age):%lf", d.value1, d.value2, d.value3);
            break;
        case catalog::kGlobularCluster:
            format(l[n++], 4, y4, "Core Radius:%6.1lfLy, Total Radius:%6.1lfLy, log(Rt/Rc):%4.4lf", d.value1,
                   d.value1 * std::pow(10.0, d.value2), d.value2);
            format(l[n++], 4, y5, "HalfMass Radius:%6.1lfLy", d.value3);
            break;
        case catalog::kNebula: format(l[n++], 4, y4, "Diameter:%6.1lfLy", d.value1); break;
        default: break;
    }
    texts.detailCount = n;
}

void formBodyDetails(int32_t object) {
    const systems::SystemObject* o = systems::findObject(object);
    if (!o) return;
    const char* kind = o->kind == systems::kRockyPlanet  ? "Type: rocky planet"
                       : o->kind == systems::kGasGiant   ? "Type: gas giant"
                       : o->kind == systems::kBrownDwarf ? "Type: brown drawf"
                                                         : "Type:Unkown";
    format(texts.details[0], 4, kFirstLineDy, "%s", kind);
    format(texts.details[1], 4, kFirstLineDy + kLineDy, "semiAxis:%6.1lfAU, ecc:%6.6lf, incl:%6.6lf", o->semiAxis,
           o->ecc, o->incl * kDegreesPerRadian);
    texts.detailCount = 2;
}

void formComponentDetails(int32_t object) {
    catalog::ComponentInfo c;
    if (!catalog::componentInfo(static_cast<uint32_t>(object) - catalog::kComponentBase, c)) return;
    format(texts.details[0], 4, kFirstLineDy, "ID:%08X   CCDM:%s %c%c", static_cast<uint32_t>(object), c.ccdm,
           c.letter1, c.letter2);
    format(texts.details[1], 4, kFirstLineDy + kLineDy, "Class:%s, Mag:%4.4lf", c.spectral, c.magnitude);
    texts.detailCount = 2;
}

void formDetails(int32_t object, int kind, const Vector3& observer) {
    ++texts.detailsFormed;
    texts.detailObject = object;
    texts.detailCount = 0;
    texts.colourRamp = 0;
    switch (kind) {
        case 0: formStarDetails(static_cast<uint32_t>(object), observer); break;
        case 1: formDeepSkyDetails(object, observer); break;
        case 2: formBodyDetails(object); break;
        default: formComponentDetails(object); break;
    }
}

void drawLine(draw::Surface& s, int barTop, const InfoLine& line) {
    drawText(s, line.x, barTop + line.dy, line.text, line.length, video::colours.black);
}

void separator(draw::Surface& s, int barTop) {
    draw::setColour(s, video::colours.grey[10]);
    draw::line(s, 4, barTop + kSeparatorDy, s.maxX() - 264, barTop + kSeparatorDy);
}

// The note of the object (its catalogue note, "@" and its identifier), or an empty box.
void layoutNote(int32_t object, int width) {
    texts.noteObject = object;
    noteWidth = width;
    note.wrapWidth = width - 264;
    note.clientHeight = kNoteHeight;
    note.forwarding = 1;
    char reference[16];
    std::snprintf(reference, sizeof reference, "@%08X", static_cast<uint32_t>(object));
    Page page;
    if (object != -1 && resolveReference(reference, page)) layoutPage(note, page);
    else clearPage(note);
    note.layoutChanged = 0;
    noteScrolls = note.documentHeight > kNoteHeight;
    slider = 0;
    scrollPage(note, 0);
}

}  // namespace

void infoStart() {
    infoStop();
    thumb = video::loadDisplayBitmap("scroll.bmp");
    arrowUp = video::loadDisplayBitmap("scrollup.bmp");
    arrowDown = video::loadDisplayBitmap("scrolldown.bmp");
}

void infoStop() {
    showsLock = 0;
    texts = InfoTexts{};
    texts.summaryObject = texts.detailObject = texts.noteObject = -1;
    summarySeen = detailSeen = Seen{};
    clearPage(note);
    noteWidth = -1;
    slider = 0;
    noteScrolls = false;
    thumb.reset();
    arrowUp.reset();
    arrowDown.reset();
}

int infoShowsLock() { return showsLock; }

void setInfoShowsLock(int lockMode) {
    showsLock = lockMode ? 1 : 0;
    camera::settingsChanged(0);
}

void toggleInfoShowsLock() { setInfoShowsLock(showsLock ? 0 : 1); }

int32_t describedObject() {
    const CameraRecord& c = *camera::activeCamera();
    if (showsLock) return c.lock;
    return input::pointerOverToolbar ? -1 : c.hover;
}

void infoSummary(draw::Surface& s, int barTop) {
    if (showsLock) {
        draw::setColour(s, video::colours.red[0]);
        draw::line(s, 1, barTop + 1, 1, barTop + 28);
        draw::line(s, 2, barTop + 1, 2, barTop + 28);
    }
    const int32_t object = describedObject();
    if (object == -1) return;
    const int kind = catalog::objectKind(static_cast<catalog::ObjectId>(object));
    Seen now;
    now.object = object;
    now.found = locate(object, kind, now.observer, now.where);
    if (!now.found) return;
    if (!summarySeen.found || now.object != summarySeen.object || !same(now.observer, summarySeen.observer) ||
        !same(now.where, summarySeen.where)) {
        formSummary(object, kind, now.observer, now.where);
        summarySeen = now;
    }
    drawLine(s, barTop, texts.summary);
    render::drawText(s, 4, barTop - 2, kNameScale, video::colours.black, texts.name);
    render::drawText(s, 5, barTop - 2, kNameScale, video::colours.black, texts.name);
}

void infoDetails(draw::Surface& s, int barTop) {
    const int32_t object = describedObject();
    if (object == -1) return;
    const int kind = catalog::objectKind(static_cast<catalog::ObjectId>(object));
    Seen now;
    now.object = object;
    now.found = locate(object, kind, now.observer, now.where);
    // A body that is not in the entered system has no details; a component's come from the
    // catalogue.
    if (kind == 2 && !now.found) return;
    // The camera's frame-changed flag would form them again in every frame after a lock (it stays
    // set until a journey takes the lock): what the details show changes only with the object
    // and the observer.
    if (!detailSeen.found || now.object != detailSeen.object || !same(now.observer, detailSeen.observer)) {
        formDetails(object, kind, now.observer);
        detailSeen = now;
        detailSeen.found = true;
    }
    if (texts.detailCount == 0) return;
    separator(s, barTop);
    for (int i = 0; i < texts.detailCount; ++i) drawLine(s, barTop, texts.details[i]);
    if (texts.colourRamp) {
        const int y = barTop + kFirstLineDy + 3 * kLineDy;  // the magnitude's row
        for (int k = 0; k < 128; ++k) {
            draw::setColour(s, video::colours.star[k][128]);
            draw::line(s, kRampX + k, y + 2, kRampX + k, y + 6);
        }
        draw::setColour(s, video::colours.black);
        draw::line(s, kRampX + texts.rampMark, y - 2, kRampX + texts.rampMark, y + 10);
    }
}

void infoNote(draw::Surface& s, int barTop) {
    const int32_t object = describedObject();
    const int width = s.maxX();
    if (object != texts.noteObject || width != noteWidth) layoutNote(object, width);
    separator(s, barTop);
    const int top = barTop + kFirstLineDy;
    drawPage(note, s, Rect{kNoteBoxX, top, width - 256, kNoteHeight});
    if (!noteScrolls) return;
    draw::setColour(s, video::colours.grey[4]);
    draw::fillRect(s, width - 248, top, width - 232, top + kNoteHeight);
    if (arrowUp) draw::drawBitmap(s, *arrowUp, width - 248, top);
    if (arrowDown) draw::drawBitmap(s, *arrowDown, width - 248, barTop + 124);
    if (thumb) draw::drawBitmap(s, *thumb, width - 248, barTop + 48 + slider);
}

void infoSliderSet(int value) {
    slider = value < 0 ? 0 : (value >= kSliderSteps ? kSliderSteps - 1 : value);
    scrollPage(note, static_cast<int>(static_cast<int64_t>(note.documentHeight) * slider / kSliderSteps));
}

void infoSliderStep(int delta) { infoSliderSet(slider + delta); }

int infoSlider() { return slider; }

bool infoNoteScrolls() { return noteScrolls; }

int infoNoteClick(int x, int y) { return clickLink(note, x, y); }

const InfoTexts& infoTexts() { return texts; }

const Viewer& infoNoteViewer() { return note; }

}  // namespace zwindows
