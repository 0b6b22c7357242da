// Menus: the layer keeps each menu's items in its own record (the truth the
// program reads back) and mirrors them into a QMenu. Property changes touch
// one QAction; insertions and deletions rebuild the menu's actions.
#include "platform/ui/Menus.h"

#include "platform/core/ByteIO.h"
#include "platform/core/PString.h"
#include "platform/core/TextEncoding.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/UiResources.h"
#include "platform/ui/WindowInternal.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWidgetAction>

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

namespace {

// Widgets must not be destroyed after the application object is gone (static
// destructors at exit); then they are left to the process's end.
struct QMenuDeleter {
    void operator()(QMenu* m) const {
        if (m && QCoreApplication::instance()) delete m;
    }
};

}  // namespace

struct MenuInfo {
    MenuData data;
    SInt16 resourceID = 0;  // the 'MENU' it came from, 0 for NewMenu
    std::unique_ptr<QMenu, QMenuDeleter> qmenu;
    std::vector<QAction*> actions;  // parallel to data.items, owned by qmenu
    // A grid drawn by the program instead of text items.
    SInt16 columns = 0, rows = 0, cellWidth = 0, cellHeight = 0;
    MenuCellDrawProcPtr drawProc = nullptr;
    QPointer<QWidget> grid;
    UInt16 fontSize = 0;
};

namespace {

std::vector<std::unique_ptr<MenuInfo>> gMenus;  // every live menu
std::vector<MenuRef> gBarMenus;                 // in bar order
std::vector<MenuRef> gHierMenus;                // submenus and pop-ups
int gPopupDepth = 0;                            // inside PopUpMenuSelect
SInt32 gPopupChoice = 0;

bool HaveWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

bool ValidItem(MenuRef menu, MenuItemIndex item) {
    return menu && item >= 1 && item <= menu->data.items.size();
}

QString DisplayText(const std::string& bytes) { return QString::fromStdString(LegacyTextToUtf8(bytes)); }

QString MarkPrefix(UInt16 mark) {
    switch (mark) {
    case noMark:
    case checkMark:
        return {};
    case 0x13: return QStringLiteral("\u25C6 ");  // diamond
    case 0xA5: return QStringLiteral("\u2022 ");  // bullet
    default: return QString(QChar(mark)) + QLatin1Char(' ');
    }
}

void OnItemChosen(MenuID menuID, MenuItemIndex item);
void RelinkSubmenus();

// The text of a command key as Qt writes shortcuts ("Shift+Ctrl+S").
QString CommandKeyText(UInt16 cmd, UInt8 modifiers) {
    if (cmd == 0 || cmd == hMenuCmd) return {};
    int key = std::toupper(cmd & 0xFF);
    int mods = 0;
    if (!(modifiers & kMenuNoCommandModifier)) mods |= Qt::ControlModifier;
    if (modifiers & kMenuShiftModifier) mods |= Qt::ShiftModifier;
    if (modifiers & kMenuOptionModifier) mods |= Qt::AltModifier;
    if (modifiers & kMenuControlModifier) mods |= Qt::MetaModifier;
    return QKeySequence(QKeyCombination(Qt::KeyboardModifiers(mods), Qt::Key(key)))
        .toString(QKeySequence::NativeText);
}

// ---- Menus drawn by the program --------------------------------------------

class MenuGridWidget : public QWidget {
public:
    MenuGridWidget(MenuRef menu, QWidget* parent) : QWidget(parent), menu_(menu) {
        setMouseTracking(true);
        setFixedSize(menu->columns * menu->cellWidth, menu->rows * menu->cellHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image = Render();
        QPainter p(this);
        p.drawImage(0, 0, image);
    }
    void mouseMoveEvent(QMouseEvent* e) override { SetHover(CellAt(e->position().toPoint())); }
    void leaveEvent(QEvent*) override { SetHover(0); }
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        int item = CellAt(e->position().toPoint());
        if (item == 0 || !IsMenuItemEnabled(menu_, MenuItemIndex(item))) return;
        MenuID id = menu_->data.id;
        // Close the whole chain of open menus, as choosing a text item does.
        for (int guard = 0; guard < 16; ++guard) {
            QWidget* popup = QApplication::activePopupWidget();
            if (!popup) break;
            popup->close();
        }
        OnItemChosen(id, MenuItemIndex(item));
    }

private:
    int CellAt(QPoint p) const {
        if (p.x() < 0 || p.y() < 0 || p.x() >= width() || p.y() >= height()) return 0;
        int item = (p.y() / menu_->cellHeight) * menu_->columns + p.x() / menu_->cellWidth + 1;
        return item <= int(menu_->data.items.size()) ? item : 0;
    }
    void SetHover(int item) {
        if (item == hover_) return;
        hover_ = item;
        update();
    }
    QImage Render() {
        int w = width(), h = height();
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::white);
        Rect bounds = MakeRect(0, 0, h, w);
        UniqueGWorld world;
        if (NewGWorld(world.out(), 32, &bounds, nullptr, nullptr, 0) != noErr) return image;
        {
            SavedGWorld saved;
            SetGWorld(world.get(), nullptr);
            EraseRect(&bounds);
            for (int i = 0; i < menu_->columns * menu_->rows && i < int(menu_->data.items.size()); ++i) {
                int r = i / menu_->columns, c = i % menu_->columns;
                Rect cell = MakeRect(r * menu_->cellHeight, c * menu_->cellWidth, (r + 1) * menu_->cellHeight,
                                     (c + 1) * menu_->cellWidth);
                if (menu_->drawProc) menu_->drawProc(menu_, MenuItemIndex(i + 1), &cell, hover_ == i + 1);
            }
        }
        PixMapHandle pm = GetGWorldPixMap(world.get());
        for (int y = 0; y < h; ++y) {
            const UInt8* src = PixRow(**pm, y);
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x) dst[x] = qRgb(src[4 * x + 1], src[4 * x + 2], src[4 * x + 3]);
        }
        return image;
    }

    MenuRef menu_;
    int hover_ = 0;
};

// ---- Keeping the QMenu in step ------------------------------------------------

void UpdateAction(MenuRef menu, size_t index) {
    if (index >= menu->actions.size()) return;
    QAction* a = menu->actions[index];
    const MenuItemData& item = menu->data.items[index];
    if (menu->drawProc) {
        a->setEnabled(item.enabled);
        return;
    }
    if (IsSeparatorText(item.text)) {
        a->setSeparator(true);
        return;
    }
    QString text = MarkPrefix(item.mark) + DisplayText(item.text).replace(QLatin1Char('&'), QStringLiteral("&&"));
    QString keys = CommandKeyText(item.cmd, item.modifiers);
    if (!keys.isEmpty()) text += QLatin1Char('\t') + keys;
    a->setText(text);
    a->setEnabled(item.enabled);
    a->setCheckable(item.mark == checkMark);
    a->setChecked(item.mark == checkMark);
    QFont f = menu->qmenu->font();
    f.setBold(item.style & bold);
    f.setItalic(item.style & italic);
    f.setUnderline(item.style & underline);
    a->setFont(f);
    MenuRef sub = item.cmd == hMenuCmd && item.submenu ? GetMenuHandle(item.submenu) : nullptr;
    if (sub == menu) sub = nullptr;
    QMenu* want = sub ? sub->qmenu.get() : nullptr;
    if (a->menu<QMenu*>() != want) a->setMenu(want);
}

void RebuildActions(MenuRef menu) {
    if (!menu->qmenu) return;
    for (QAction* a : menu->actions) a->setMenu(static_cast<QMenu*>(nullptr));
    menu->qmenu->clear();
    menu->actions.clear();
    if (menu->drawProc) {
        auto* wa = new QWidgetAction(menu->qmenu.get());
        menu->grid = new MenuGridWidget(menu, nullptr);
        wa->setDefaultWidget(menu->grid);
        menu->qmenu->addAction(wa);
        // The grid stands for every item; the per-item actions only carry state.
        for (size_t i = 0; i < menu->data.items.size(); ++i) {
            auto* a = new QAction(menu->qmenu.get());
            menu->actions.push_back(a);
            UpdateAction(menu, i);
        }
        return;
    }
    for (size_t i = 0; i < menu->data.items.size(); ++i) {
        auto* a = new QAction(menu->qmenu.get());
        MenuID id = menu->data.id;
        auto item = MenuItemIndex(i + 1);
        QObject::connect(a, &QAction::triggered, a, [id, item] { OnItemChosen(id, item); });
        menu->qmenu->addAction(a);
        menu->actions.push_back(a);
        UpdateAction(menu, i);
    }
}

void UpdateTitle(MenuRef menu) {
    if (!menu->qmenu) return;
    menu->qmenu->setTitle(DisplayText(menu->data.title).replace(QLatin1Char('&'), QStringLiteral("&&")));
    menu->qmenu->menuAction()->setEnabled(menu->data.enabled);
}

void MakeQMenu(MenuRef menu) {
    if (menu->qmenu || !HaveWidgets()) return;
    menu->qmenu.reset(new QMenu());
    if (menu->fontSize) {
        QFont f = menu->qmenu->font();
        f.setPointSize(menu->fontSize);
        menu->qmenu->setFont(f);
    }
    UpdateTitle(menu);
    RebuildActions(menu);
}

void RelinkSubmenus() {
    for (auto& m : gMenus)
        for (size_t i = 0; i < m->data.items.size(); ++i)
            if (m->data.items[i].cmd == hMenuCmd || m->actions.size() > i) UpdateAction(m.get(), i);
}

void SyncMenuBar() {
    QMainWindow* main = ui_internal::MainWindow();
    if (!main) return;
    QMenuBar* bar = main->menuBar();
    for (QAction* a : bar->actions()) bar->removeAction(a);
    for (MenuRef m : gBarMenus) {
        MakeQMenu(m);
        if (m->qmenu) bar->addMenu(m->qmenu.get());
    }
}

// Menus go with the application object, while their widgets still can.
void ReleaseAllMenus() {
    gBarMenus.clear();
    gHierMenus.clear();
    gMenus.clear();
}

MenuRef NewMenuRecord(MenuData data, SInt16 resourceID) {
    static bool releaseRegistered = false;
    if (!releaseRegistered && HaveWidgets()) {
        qAddPostRoutine(ReleaseAllMenus);
        releaseRegistered = true;
    }
    auto m = std::make_unique<MenuInfo>();
    m->data = std::move(data);
    m->resourceID = resourceID;
    MenuRef ref = m.get();
    gMenus.push_back(std::move(m));
    MakeQMenu(ref);
    return ref;
}

void OnItemChosen(MenuID menuID, MenuItemIndex item) {
    SInt32 choice = SInt32(menuID) << 16 | item;
    if (gPopupDepth > 0) {
        gPopupChoice = choice;
        return;
    }
    ui_internal::SetPendingMenuChoice(choice);
    EventRecord e;
    e.what = mouseDown;
    e.when = TickCount();
    e.where = Point{-1, 0};  // above the desktop: the menu bar
    // Read Qt's state rather than GetCurrentKeyModifiers: that pumps events,
    // and this runs inside Qt's own delivery of the choice.
    const Qt::KeyboardModifiers q = QGuiApplication::keyboardModifiers();
    e.modifiers = EventModifiers(((q & Qt::ControlModifier) ? cmdKey : 0) | ((q & Qt::ShiftModifier) ? shiftKey : 0) |
                                 ((q & Qt::AltModifier) ? optionKey : 0));
    ui_internal::QueueEvent(e);
}

// The unshifted character of the keys a command key can be on, so that a
// control character or a shifted symbol still finds its item.
UInt8 KeyCodeChar(UInt8 keyCode) {
    static constexpr struct {
        UInt8 code;
        char ch;
    } kKeys[] = {
        {0x00, 'A'}, {0x01, 'S'}, {0x02, 'D'}, {0x03, 'F'}, {0x04, 'H'}, {0x05, 'G'}, {0x06, 'Z'}, {0x07, 'X'},
        {0x08, 'C'}, {0x09, 'V'}, {0x0B, 'B'}, {0x0C, 'Q'}, {0x0D, 'W'}, {0x0E, 'E'}, {0x0F, 'R'}, {0x10, 'Y'},
        {0x11, 'T'}, {0x12, '1'}, {0x13, '2'}, {0x14, '3'}, {0x15, '4'}, {0x16, '6'}, {0x17, '5'}, {0x18, '='},
        {0x19, '9'}, {0x1A, '7'}, {0x1B, '-'}, {0x1C, '8'}, {0x1D, '0'}, {0x1E, ']'}, {0x1F, 'O'}, {0x20, 'U'},
        {0x21, '['}, {0x22, 'I'}, {0x23, 'P'}, {0x25, 'L'}, {0x26, 'J'}, {0x27, '\''}, {0x28, 'K'}, {0x29, ';'},
        {0x2A, '\\'}, {0x2B, ','}, {0x2C, '/'}, {0x2D, 'N'}, {0x2E, 'M'}, {0x2F, '.'}, {0x32, '`'},
    };
    for (const auto& k : kKeys)
        if (k.code == keyCode) return UInt8(k.ch);
    return 0;
}

UInt8 UpperAscii(UInt8 c) { return c >= 'a' && c <= 'z' ? UInt8(c - 32) : c; }

MenuItemIndex FindCommandItem(MenuRef menu, UInt8 ch, UInt8 keyChar, UInt8 extra, std::set<MenuRef>& seen,
                              MenuRef* found) {
    if (!menu || !menu->data.enabled || !seen.insert(menu).second) return 0;
    for (size_t i = 0; i < menu->data.items.size(); ++i) {
        const MenuItemData& item = menu->data.items[i];
        if (!item.enabled) continue;
        if (item.cmd == hMenuCmd) {
            if (MenuItemIndex sub = FindCommandItem(GetMenuHandle(item.submenu), ch, keyChar, extra, seen, found))
                return sub;
            continue;
        }
        if (item.cmd == 0 || (item.modifiers & kMenuNoCommandModifier)) continue;
        if ((item.modifiers & (kMenuShiftModifier | kMenuOptionModifier | kMenuControlModifier)) != extra) continue;
        UInt8 want = UpperAscii(UInt8(item.cmd));
        if (want == UpperAscii(ch) || (keyChar && want == keyChar)) {
            *found = menu;
            return MenuItemIndex(i + 1);
        }
    }
    return 0;
}

UInt32 MatchCommandKey(UInt8 ch, UInt8 keyCode, EventModifiers modifiers) {
    UInt8 extra = UInt8(((modifiers & shiftKey) ? kMenuShiftModifier : 0) |
                        ((modifiers & optionKey) ? kMenuOptionModifier : 0) |
                        ((modifiers & controlKey) ? kMenuControlModifier : 0));
    UInt8 keyChar = KeyCodeChar(keyCode);
    std::set<MenuRef> seen;
    for (MenuRef m : gBarMenus) {
        MenuRef found = nullptr;
        if (MenuItemIndex item = FindCommandItem(m, ch, keyChar, extra, seen, &found))
            return UInt32(UInt16(found->data.id)) << 16 | item;
    }
    return 0;
}

}  // namespace

// ---- Internal ------------------------------------------------------------------

namespace ui_internal {

bool IsLiveMenu(MenuRef menu) {
    return menu && std::any_of(gMenus.begin(), gMenus.end(), [menu](const auto& m) { return m.get() == menu; });
}

const MenuData* MenuContents(MenuRef menu) { return IsLiveMenu(menu) ? &menu->data : nullptr; }

void DeliverMenuChoice(SInt32 choice) { OnItemChosen(MenuID(choice >> 16), MenuItemIndex(choice & 0xFFFF)); }

}  // namespace ui_internal

// ---- Making and keeping menus ----------------------------------------------------

MenuRef GetMenu(SInt16 resourceID) {
    for (auto& m : gMenus)
        if (m->resourceID == resourceID && resourceID != 0) return m.get();
    Handle h = GetResource(FourCC("MENU"), resourceID);
    if (!h) return nullptr;
    MenuData data;
    if (ParseMenuResource(HandleBytes(h), &data) != noErr) return nullptr;
    return NewMenuRecord(std::move(data), resourceID);
}

MenuRef NewMenu(MenuID menuID, ConstStr255Param menuTitle) {
    MenuData data;
    data.id = menuID;
    data.title = menuTitle ? PStringToStd(menuTitle) : std::string();
    return NewMenuRecord(std::move(data), 0);
}

void DisposeMenu(MenuRef menu) {
    if (!menu) return;
    auto it = std::find_if(gMenus.begin(), gMenus.end(), [menu](const auto& m) { return m.get() == menu; });
    if (it == gMenus.end()) return;
    bool inBar = std::erase(gBarMenus, menu) > 0;
    std::erase(gHierMenus, menu);
    // Detach the menu from every item that shows it before it goes.
    std::unique_ptr<MenuInfo> owned = std::move(*it);
    gMenus.erase(it);
    RelinkSubmenus();
    if (inBar) SyncMenuBar();
}

static void InsertItem(MenuRef menu, ConstStr255Param text, size_t at) {
    if (!menu || !text || menu->data.items.size() >= kMaxMenuItems) return;
    MenuItemData item;
    item.text = PStringToStd(text);
    at = std::min(at, menu->data.items.size());
    menu->data.items.insert(menu->data.items.begin() + ptrdiff_t(at), std::move(item));
    RebuildActions(menu);
}

void AppendMenuItemText(MenuRef menu, ConstStr255Param text) {
    if (menu) InsertItem(menu, text, menu->data.items.size());
}

void InsertMenuItemText(MenuRef menu, ConstStr255Param text, MenuItemIndex afterItem) {
    InsertItem(menu, text, afterItem);
}

void DeleteMenuItem(MenuRef menu, MenuItemIndex item) {
    if (!ValidItem(menu, item)) return;
    menu->data.items.erase(menu->data.items.begin() + (item - 1));
    RebuildActions(menu);
}

void InsertMenu(MenuRef menu, MenuID beforeID) {
    if (!menu) return;
    if (beforeID == hierMenu) {
        if (std::find(gHierMenus.begin(), gHierMenus.end(), menu) == gHierMenus.end()) gHierMenus.push_back(menu);
        RelinkSubmenus();
        return;
    }
    if (std::find(gBarMenus.begin(), gBarMenus.end(), menu) != gBarMenus.end()) return;
    auto at = std::find_if(gBarMenus.begin(), gBarMenus.end(),
                           [beforeID](MenuRef m) { return beforeID != 0 && m->data.id == beforeID; });
    gBarMenus.insert(at, menu);
    RelinkSubmenus();
    SyncMenuBar();
}

void DeleteMenu(MenuID menuID) {
    MenuRef menu = GetMenuHandle(menuID);
    if (!menu) return;
    bool inBar = std::erase(gBarMenus, menu) > 0;
    std::erase(gHierMenus, menu);
    RelinkSubmenus();
    if (inBar) SyncMenuBar();
}

MenuRef GetMenuHandle(MenuID menuID) {
    for (MenuRef m : gBarMenus)
        if (m->data.id == menuID) return m;
    for (MenuRef m : gHierMenus)
        if (m->data.id == menuID) return m;
    return nullptr;
}

MenuID GetMenuID(MenuRef menu) { return menu ? menu->data.id : 0; }

UInt16 CountMenuItems(MenuRef menu) { return menu ? UInt16(menu->data.items.size()) : 0; }

Handle GetNewMBar(SInt16 menuBarID) {
    Handle h = GetResource(FourCC("MBAR"), menuBarID);
    if (!h) return nullptr;
    std::vector<SInt16> ids;
    if (ParseMenuBarResource(HandleBytes(h), &ids) != noErr) return nullptr;
    ByteWriter w;
    w.s16be(SInt16(ids.size()));
    for (SInt16 id : ids) {
        if (!GetMenu(id)) return nullptr;
        w.s16be(id);
    }
    return NewHandleFromBytes(w.buffer());
}

void SetMenuBar(Handle menuList) {
    std::vector<SInt16> ids;
    if (!menuList || ParseMenuBarResource(HandleBytes(menuList), &ids) != noErr) return;
    gBarMenus.clear();
    for (SInt16 id : ids)
        if (MenuRef m = GetMenu(id); m && std::find(gBarMenus.begin(), gBarMenus.end(), m) == gBarMenus.end())
            gBarMenus.push_back(m);
    RelinkSubmenus();
    SyncMenuBar();
}

void DrawMenuBar() { SyncMenuBar(); }
void InvalMenuBar() { SyncMenuBar(); }

// ---- Items ------------------------------------------------------------------------

void EnableMenuItem(MenuRef menu, MenuItemIndex item) {
    if (menu && item == 0) {
        menu->data.enabled = true;
        UpdateTitle(menu);
    } else if (ValidItem(menu, item)) {
        menu->data.items[item - 1].enabled = true;
        UpdateAction(menu, item - 1);
    }
}

void DisableMenuItem(MenuRef menu, MenuItemIndex item) {
    if (menu && item == 0) {
        menu->data.enabled = false;
        UpdateTitle(menu);
    } else if (ValidItem(menu, item)) {
        menu->data.items[item - 1].enabled = false;
        UpdateAction(menu, item - 1);
    }
}

Boolean IsMenuItemEnabled(MenuRef menu, MenuItemIndex item) {
    if (menu && item == 0) return menu->data.enabled;
    return ValidItem(menu, item) && menu->data.items[item - 1].enabled;
}

void CheckMenuItem(MenuRef menu, MenuItemIndex item, Boolean checked) {
    SetItemMark(menu, item, checked ? checkMark : noMark);
}

void SetItemMark(MenuRef menu, MenuItemIndex item, UInt16 markChar) {
    if (!ValidItem(menu, item)) return;
    MenuItemData& it = menu->data.items[item - 1];
    if (it.cmd == hMenuCmd) return;  // the mark byte of a submenu item is its menu ID
    it.mark = markChar;
    UpdateAction(menu, item - 1);
    if (menu->grid) menu->grid->update();
}

void GetItemMark(MenuRef menu, MenuItemIndex item, UInt16* markChar) {
    if (!markChar) return;
    if (!ValidItem(menu, item)) {
        *markChar = noMark;
        return;
    }
    const MenuItemData& it = menu->data.items[item - 1];
    *markChar = it.cmd == hMenuCmd ? UInt16(it.submenu) : it.mark;
}

void SetMenuItemText(MenuRef menu, MenuItemIndex item, ConstStr255Param text) {
    if (!ValidItem(menu, item) || !text) return;
    menu->data.items[item - 1].text = PStringToStd(text);
    UpdateAction(menu, item - 1);
}

void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 text) {
    if (!text) return;
    if (!ValidItem(menu, item)) {
        text[0] = 0;
        return;
    }
    CopyCStringToPascal(menu->data.items[item - 1].text, text);
}

void SetItemCmd(MenuRef menu, MenuItemIndex item, UInt16 cmdChar) {
    if (!ValidItem(menu, item)) return;
    MenuItemData& it = menu->data.items[item - 1];
    if (cmdChar == hMenuCmd && it.cmd != hMenuCmd) {
        it.submenu = SInt16(it.mark);
        it.mark = noMark;
    } else if (cmdChar != hMenuCmd && it.cmd == hMenuCmd) {
        it.submenu = 0;
    }
    it.cmd = cmdChar;
    UpdateAction(menu, item - 1);
}

void GetItemCmd(MenuRef menu, MenuItemIndex item, UInt16* cmdChar) {
    if (cmdChar) *cmdChar = ValidItem(menu, item) ? menu->data.items[item - 1].cmd : 0;
}

OSErr SetMenuItemModifiers(MenuRef menu, MenuItemIndex item, UInt8 modifiers) {
    if (!ValidItem(menu, item)) return paramErr;
    menu->data.items[item - 1].modifiers = modifiers;
    UpdateAction(menu, item - 1);
    return noErr;
}

OSErr SetMenuItemHierarchicalID(MenuRef menu, MenuItemIndex item, MenuID hierID) {
    if (!ValidItem(menu, item)) return paramErr;
    MenuItemData& it = menu->data.items[item - 1];
    it.cmd = hierID ? UInt16(hMenuCmd) : UInt16(0);
    it.submenu = hierID;
    it.mark = noMark;
    UpdateAction(menu, item - 1);
    return noErr;
}

void SetMenuFont(MenuRef menu, SInt16 /*fontID*/, UInt16 fontSize) {
    if (!menu) return;
    menu->fontSize = fontSize;
    if (menu->qmenu && fontSize) {
        QFont f = menu->qmenu->font();
        f.setPointSize(fontSize);
        menu->qmenu->setFont(f);
        RebuildActions(menu);
    }
}

OSErr SetMenuDrawnByProgram(MenuRef menu, SInt16 columns, SInt16 rows, SInt16 cellWidth, SInt16 cellHeight,
                            MenuCellDrawProcPtr drawProc) {
    if (!menu || !drawProc || columns <= 0 || rows <= 0 || cellWidth <= 0 || cellHeight <= 0 ||
        columns * cellWidth > 4096 || rows * cellHeight > 4096)
        return paramErr;
    menu->columns = columns;
    menu->rows = rows;
    menu->cellWidth = cellWidth;
    menu->cellHeight = cellHeight;
    menu->drawProc = drawProc;
    RebuildActions(menu);
    return noErr;
}

// ---- Choices ----------------------------------------------------------------------

SInt32 MenuSelect(Point /*startPt*/) { return ui_internal::TakePendingMenuChoice(); }

UInt32 MenuEvent(const EventRecord* inEvent) {
    if (!inEvent || (inEvent->what != keyDown && inEvent->what != autoKey) || !(inEvent->modifiers & cmdKey))
        return 0;
    return MatchCommandKey(UInt8(inEvent->message & charCodeMask), UInt8((inEvent->message & keyCodeMask) >> 8),
                           inEvent->modifiers);
}

SInt32 MenuKey(SInt16 ch) { return SInt32(MatchCommandKey(UInt8(ch), 0xFF, 0)); }

void HiliteMenu(MenuID) {}

SInt32 PopUpMenuSelect(MenuRef menu, SInt16 top, SInt16 left, SInt16 popUpItem) {
    if (!menu) return 0;
    if (ScriptPending()) {
        // A scripted choice answers the pop-up; it is the script's next action.
        gPopupChoice = 0;
        ++gPopupDepth;
        for (int guard = 0; guard < 600 && !gPopupChoice && ScriptPending(); ++guard) ui_internal::PumpEvents(20);
        --gPopupDepth;
        SInt32 choice = std::exchange(gPopupChoice, 0);
        if (!choice) choice = ui_internal::TakePendingMenuChoice();
        return choice;
    }
    if (ui_internal::IsUnattended()) return 0;
    MakeQMenu(menu);
    if (!menu->qmenu) return 0;
    QPoint at(left, top);
    if (QWidget* d = ui_internal::DesktopWidget()) at = d->mapToGlobal(at);
    QAction* active = popUpItem >= 1 && size_t(popUpItem) <= menu->actions.size() && !menu->drawProc
                          ? menu->actions[size_t(popUpItem - 1)]
                          : nullptr;
    gPopupChoice = 0;
    ++gPopupDepth;
    if (active) {
        // The current item opens under the mouse, highlighted, as the toolbox shows a pop-up.
        QPointer<QMenu> q = menu->qmenu.get();
        QPointer<QAction> a = active;
        QTimer::singleShot(0, q, [q, a] {
            if (q && a) q->setActiveAction(a);
        });
    }
    menu->qmenu->exec(at, active);
    --gPopupDepth;
    // The open menu took the release of the button that opened it; tell the
    // event layer the button is up so tracking loops end.
    QWidget* desk = ui_internal::DesktopWidget();
    if (desk && QGuiApplication::mouseButtons() == Qt::NoButton && Button()) {
        const QPoint screen = QCursor::pos();
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(desk->mapFromGlobal(screen)), QPointF(screen),
                       Qt::LeftButton, Qt::NoButton, QGuiApplication::keyboardModifiers());
        QCoreApplication::sendEvent(desk, &up);
    }
    SInt32 choice = gPopupChoice;
    gPopupChoice = 0;
    return choice;
}

Boolean IsShowContextualMenuClick(const EventRecord* inEvent) {
    return inEvent && inEvent->what == mouseDown && (inEvent->modifiers & controlKey) != 0;
}

SInt32 ContextualMenuSelect(MenuRef menu, Point globalPt) {
    return PopUpMenuSelect(menu, globalPt.v, globalPt.h, 0);
}
