// The one door to the operating system: window and messages, pointer and keys, the display
// surface, message boxes, the configuration store, directory listing, serial ports and system
// information.
//
// Everything above src/platform talks to the machine only through this header and store.h, and
// this layer knows nothing of the program: it reports failures by its results (and a short
// reason where one is asked for), it never logs. Two backends implement the window, message and
// display parts, each as a table of functions (platform/backend.h) that the program hands to
// useBackend before anything else: src/platform/sdl (the real program) and
// src/platform/headless (tests: scripted messages, a settable pointer, frames kept in memory).
// Until a backend is chosen the calls go to a null backend that has no window, no messages and
// no display. Files, time, modules, the store, listing, serial ports and system information are
// plain POSIX code shared by both (src/platform/posix).
//
// Window messages keep the program's Windows-era vocabulary (WM_* codes, virtual-key codes,
// wheel deltas of ±120): key codes are a stored format (macro value names "M41") and reach
// plug-ins through the key event, so they never change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// ---- Backend --------------------------------------------------------------------------------

struct Backend;
// Chooses the backend every window, message and display call goes to; null: the null backend.
void useBackend(const Backend* backend);
// The backend in use (never null).
const Backend& backend();
// Its name: "SDL", "headless", "null".
const char* backendName();

// ---- Window messages ------------------------------------------------------------------------

enum : uint32_t {
    WM_NULL = 0x0000,
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_SIZE = 0x0005,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ACTIVATEAPP = 0x001C,  // wParam 1: switched back to the program, 0: switched away
    WM_KEYDOWN = 0x0100,      // wParam virtual-key code, lParam key data
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,         // wParam character code, lParam key data
    WM_MOUSEMOVE = 0x0200,    // lParam: x in the low 16 bits, y in the high 16 (surface pixels)
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MOUSEWHEEL = 0x020A,   // high 16 bits of wParam: signed delta, +120 per notch away from the user
};

struct Message {
    uint32_t message = WM_NULL;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// Windows virtual-key codes. Letters and digits are their upper-case ASCII codes.
enum : int {
    VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_MBUTTON = 0x04,
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D,
    VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
    VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28,
    VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F,
    VK_F1 = 0x70, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_F11, VK_F12,
};

// The window procedure the program gives to the window; the backend calls it from
// dispatchMessage, so it runs inside the main loop's dispatch like on the original platform.
using WindowProc = intptr_t (*)(const Message& msg);

// ---- Window ---------------------------------------------------------------------------------

// Creates the main window titled `title`, resizable and shown maximised. Returns false if the
// window cannot be created (the caller shows "Can't create back window."), and while a dialog
// window is open.
bool createMainWindow(const char* title, WindowProc proc);
void destroyMainWindow();

// The dialog window of the dialogs shown before the main window exists: width × height window
// pixels, centred on the desktop, not resizable, titled `title`. Its messages go to `proc` and
// are taken with peekMessage and waitMessage like the main window's, and the display (openDisplay,
// beginFrame, showFrame) presents into it while it is open. When a dialog window is open already
// it takes the new title, size and procedure and is centred again; its display must then be
// opened again for the new size. False when it cannot be made, and while the main window exists.
bool openDialogWindow(const char* title, int width, int height, WindowProc proc);
// Closes the dialog window (and its display); messages still queued for it are dropped, so that
// the key that closed it never reaches the main window.
void closeDialogWindow();

// Takes at most one message without waiting; false when none is queued.
bool peekMessage(Message& msg);
// Blocks until a message is queued (the inactive main loop sleeps here).
void waitMessage();
// Hands the message to the window procedure; WM_QUIT is never dispatched.
intptr_t dispatchMessage(const Message& msg);
// Queues WM_QUIT with wParam = exitCode (PostQuitMessage).
void postQuitMessage(int exitCode);

// The default handling of a message the program does not answer (DefWindowProc): a close
// request destroys the window, which queues WM_DESTROY.
intptr_t defaultWindowProc(const Message& msg);

// Pointer position in drawing-surface pixels, mapped back through the window's scaling.
void cursorPosition(int& x, int& y);
// GetKeyState: true while the key (a VK_ code, including VK_SHIFT and VK_CONTROL) is held.
bool keyHeld(int vk);

// Mouse as the log header reports it.
struct MouseInfo {
    bool present = true;
    bool swapped = false;
    int buttons = 3;
    bool wheel = true;
};
MouseInfo mouseInfo();

// Modal error box without owner window; the text also goes to standard error.
void messageBox(const char* caption, const char* text);
// A line for whoever started the program from a terminal (standard error).
void writeStandardError(const std::string& text);
// Ends the process with the exit code.
[[noreturn]] void exitProcess(int code);

// ---- Display --------------------------------------------------------------------------------

struct DisplayMode {
    int width = 0;         // pixels of every frame
    int height = 0;        // pixels
    int bitsPerPixel = 0;  // as the display reports it
    int pages = 2;
    // 1: a mode of the display, shown in the main window. k > 1: the desktop's size divided by k,
    // shown full screen with every pixel a k × k square (the program's own modes, not the
    // display's).
    int scale = 1;
};

// The desktop's own size first, then the display's modes and common window sizes that fit.
std::vector<DisplayMode> displayModes();

// The desktop the windows open on, as the display reports it.
struct Desktop {
    int width = 0;         // pixels; 0 when there is no display
    int height = 0;        // pixels
    int bitsPerPixel = 0;  // as the display reports it
    double dpi = 0;        // pixels per inch along the diagonal as the display reports it; 0 unknown
};
Desktop desktop();
// Version of the presentation library as four numbers, for the log header's version line.
void displayLibraryVersion(int v[4]);

// ---- Presenting frames ----------------------------------------------------------------------
//
// The program draws every frame itself, in XRGB8888 memory; the display only has to show it. How
// a finished frame reaches the window is the backend's choice, made once when the display opens:
// - the window surface: the window's own pixel memory (on X11 a shared-memory image), written by
//   the caller and handed to the window system as it is; no texture, no GPU, no second copy.
//   Nothing waits for the retrace on this path.
// - the streaming texture: uploaded to SDL's renderer, which draws it scaled into the window;
//   cheap with a real GPU, and the renderer can wait for the retrace.
// The automatic choice takes the window surface when SDL has no hardware renderer or when its
// hardware renderer is a software rasterizer (a virtual machine, a remote desktop, a missing
// driver), and the texture otherwise. The environment variable VYREX_PRESENT ("surface",
// "texture" or "auto") overrides the request, for testing.

enum class PresentPath : int {
    kAutomatic = 0,  // as a request only: the cheapest path for what the machine has
    kSurface = 1,    // the window surface
    kTexture = 2,    // the streaming texture
};
// "window surface", "streaming texture", "automatic".
const char* presentPathName(PresentPath path);

constexpr int kReasonBytes = 192;

struct DisplayRequest {
    int width = 0;        // pixels of every frame
    int height = 0;       // pixels
    bool vsync = false;   // frames should wait for the vertical retrace where the path can
    PresentPath path = PresentPath::kAutomatic;  // the path the program's settings ask for
    // The window covers the whole desktop (a scaled mode: k × the frame fills it); otherwise the
    // window keeps the size it has.
    bool fullScreen = false;
};

struct DisplayReport {
    PresentPath path = PresentPath::kAutomatic;  // the path taken (never kAutomatic once open)
    char reason[kReasonBytes] = "";  // why that path, or why the display did not open
    bool waitsForRetrace = false;    // showing a frame waits for the retrace (vsync asked and honoured)
    int refreshHz = 0;               // the display's refresh rate as the system reports it; 0 unknown
};

// Opens the presentation of frames of request.width × request.height pixels in the main window.
// False when it cannot be opened (no main window, a bad size, neither path works), with the
// reason in report.reason.
bool openDisplay(const DisplayRequest& request, DisplayReport& report);
void closeDisplay();

struct Rect {
    int x = 0, y = 0;           // pixels
    int width = 0, height = 0;  // pixels
};

// Where a frame of frameWidth × frameHeight lands in an area of areaWidth × areaHeight: scaled by
// the largest whole factor that fits and centred, so that every frame pixel becomes a square of
// whole pixels; a frame larger than the area is shrunk to fit with its aspect kept (each area
// pixel then shows the nearest frame pixel). Empty when a size is not positive.
Rect frameView(int areaWidth, int areaHeight, int frameWidth, int frameHeight);

// The pixels of the next frame to show: the caller fills `view` with the frame (scaled to the
// view's size) and the rest of the target with the background, then calls showFrame.
struct FrameTarget {
    uint32_t* pixels = nullptr;  // XRGB8888, the top row first
    int width = 0;               // pixels of the whole target
    int height = 0;              // pixels
    int pitch = 0;               // pixels from the start of one row to the next
    Rect view;                   // where the frame goes, inside the target
};
// False when nothing can be shown now (no display open, the window surface lost).
bool beginFrame(FrameTarget& target);
// Shows what beginFrame's target holds; waits for the retrace when the report said so.
void showFrame();
// Hides the system cursor over the window while the program draws its own pointer.
void showSystemCursor(bool show);

// ---- Time -----------------------------------------------------------------------------------

void sleepMilliseconds(int ms);
// Sleeps until the monotonic clock reads `ticks` (at once if it has passed), without spinning.
void sleepUntilTicks(uint64_t ticks);
// The machine's monotonic clock: ticks of monotonicTickSeconds() seconds since any fixed moment.
uint64_t monotonicTicks();
double monotonicTickSeconds();
// A millisecond count since any fixed moment; wraps after 2^32 ms.
uint32_t millisecondCount();

// Universal time of day, for the dates the program prints.
struct CalendarTime {
    int year = 0, month = 0, day = 0;        // month and day from 1
    int hour = 0, minute = 0, second = 0;
};
CalendarTime universalTime();

// ---- Files ----------------------------------------------------------------------------------
//
// Files are reached through descriptors (−1 for none). Every operation that fails returns its
// failure value and keeps the reason, which fileErrorText() gives as a short text ("No such
// file or directory") until the next failure.

enum class FileMode {
    kRead,    // read only; never blocks on a FIFO or device at open
    kAppend,  // write at the end, created if missing
    kCreate,  // write from the start, created or truncated
};
int openFile(const std::string& path, FileMode mode);
void closeFile(int fd);
// The size of a regular file; false for anything else (a folder, a FIFO, a device).
bool regularFileSize(int fd, uint64_t& size);
// Reads exactly `size` bytes at `offset`; false on an error or an early end of the file.
bool readFileAt(int fd, void* out, size_t size, uint64_t offset);
// Writes all `size` bytes at the descriptor's position; false when not all were written.
bool writeFile(int fd, const void* data, size_t size);
// Reads a whole regular file of at most `maxBytes` bytes; false (and `out` empty) otherwise.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t maxBytes);
bool removeFile(const std::string& path);
// True when something has the name, and also when it cannot be told (no permission to look).
bool pathExists(const std::string& path);
const char* fileErrorText();

// ---- Loadable modules -----------------------------------------------------------------------

// A shared library opened with its symbols resolved at once; null on failure, with the reason
// in moduleErrorText().
void* openModule(const std::string& path);
void closeModule(void* module);
// The address of an exported symbol, or null.
void* moduleSymbol(void* module, const char* name);
const char* moduleErrorText();

// ---- Files and folders (POSIX, shared by both backends) -------------------------------------

// Names of the regular files in `folder` whose names match the wildcard `pattern` ("*.vfs"),
// compared without regard to case, sorted by name so that listings are deterministic.
std::vector<std::string> listFolder(const std::string& folder, const std::string& pattern);
// The current directory (the default program folder).
std::string currentDirectory();
// Joins folder and name with '/'.
std::string joinPath(const std::string& folder, const std::string& name);
// The folder part of a path: "/usr/bin" for "/usr/bin/vyrex", "." for a bare name.
std::string parentFolder(const std::string& path);
// The absolute path of the running program's own file; "" when it cannot be told.
std::string executablePath();
// Whether this user may create files in the folder (it exists and is writable).
bool folderWritable(const std::string& folder);
// Makes the folder with its missing parents (mode 0755); true when it is a folder afterwards.
bool makeFolders(const std::string& folder);
// Replaces the whole file atomically: a temporary file in the same folder, written, flushed to
// the disk and renamed over the path, so that the path holds the old or the new bytes and never
// a part. The folder must exist. False (with fileErrorText) when anything failed; the old file
// is then untouched.
bool replaceFile(const std::string& path, const void* data, size_t size);

// ---- The user's places (XDG base directories and user folders) ------------------------------
//
// Each is an absolute path without a trailing '/'. An environment value that is not an absolute
// path is ignored, as the XDG base directory rules ask.

// $HOME, else the password database's home of this user, else "/tmp".
std::string homeFolder();
// $XDG_DATA_HOME, else ~/.local/share (menu entries go to its "applications" folder).
std::string dataHome();
// $XDG_STATE_HOME, else ~/.local/state (logs of an installed copy).
std::string stateHome();
// Where pictures go: $XDG_PICTURES_DIR, else the XDG_PICTURES_DIR line of the user-dirs file
// ($XDG_CONFIG_HOME/user-dirs.dirs, else ~/.config/user-dirs.dirs), else ~/Pictures.
std::string picturesFolder();
// The value of the line `name="..."` of a user-dirs file's text: "$HOME/..." is taken relative to
// `home`, an absolute path as it is, shell escapes (\", \\, \$) undone. "" when the file has no
// such line or its value is neither. Every text is accepted (a parser of a user's file).
std::string userDirsValue(const char* text, size_t size, const char* name, const std::string& home);

// ---- Serial port ----------------------------------------------------------------------------

// Opens "comN" as /dev/ttyS(N-1) at 19200 baud, 8N1; returns a descriptor or -1.
int openSerialPort(const char* name);
void writeSerialPort(int fd, const void* data, size_t size);
void closeSerialPort(int fd);

// ---- System information ---------------------------------------------------------------------

struct SystemInfo {
    int processorCount = 1;
    uint64_t activeProcessorMask = 1;
    int cpuModel = 0;      // 0 unknown CPU, 1 i386, 2 i486, 3 Pentium, 4 PentiumPro, 5 PentiumII, 6 unknown Pentium
    bool nonIntel = false; // the vendor flag (0x8000 of the processor type)
    bool mmx = false;
    int clockMHz = 0;
    uint64_t availPageFile = 0;  // bytes
    uint64_t availPhysical = 0;  // bytes
    int memoryLoad = 0;          // percent
    std::string osName;          // kernel name ("Linux")
    int osMajor = 0, osMinor = 0, osBuild = 0;
    int displayVersion[4] = {0, 0, 0, 0};
    MouseInfo mouse;
};
SystemInfo gatherSystemInfo();
// Whether the processor has AVX2 (256-bit integer vectors and gathers), which the drawing layers'
// wide paths take; they keep a plain path for processors without it.
bool processorHasAvx2();

}  // namespace platform
