// The GTK desktop services on a private Xvfb: the popup menu's widget tree and a real click on
// an entry, the hint bubble's painted outline and window shape, hostile hints, cursors and the
// About box.
#include <algorithm>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "desktop/TVrHint.hpp"
#include "platform/gtk/GtkAboutBox.hpp"
#include "platform/gtk/GtkCursorTable.hpp"
#include "platform/gtk/GtkHintWindow.hpp"
#include "platform/gtk/GtkPopupMenu.hpp"
#include "platform/gtk/KeyColourShape.hpp"
#include "GtkTestSupport.hpp"

#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>
#include <gtk/gtk.h>

namespace kpf::platform::gtk::testing {
namespace {

MenuEntry Entry(int id, std::string caption, std::vector<MenuEntry> children = {}) {
  MenuEntry entry;
  entry.id = id;
  entry.caption = std::move(caption);
  entry.children = std::move(children);
  return entry;
}

std::vector<GtkWidget*> Children(GtkWidget* container) {
  std::vector<GtkWidget*> result;
  GList* list = gtk_container_get_children(GTK_CONTAINER(container));
  for (GList* item = list; item != nullptr; item = item->next) result.push_back(GTK_WIDGET(item->data));
  g_list_free(list);
  return result;
}

// The first widget in the tree below (and including) `widget` that `matches`.
GtkWidget* FindWidget(GtkWidget* widget, const std::function<bool(GtkWidget*)>& matches) {
  if (matches(widget)) return widget;
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  for (GtkWidget* child : Children(widget)) {
    if (GtkWidget* found = FindWidget(child, matches)) return found;
  }
  return nullptr;
}

GtkWidget* FindChild(GtkWidget* widget, GType type) {
  return FindWidget(widget, [type](GtkWidget* w) { return G_TYPE_CHECK_INSTANCE_TYPE(w, type); });
}

GtkWidget* FindNamed(GtkWidget* widget, const char* name) {
  return FindWidget(widget, [name](GtkWidget* w) { return g_strcmp0(gtk_widget_get_name(w), name) == 0; });
}

std::string Caption(GtkWidget* item) {
  GtkWidget* label = FindChild(item, GTK_TYPE_LABEL);
  return label != nullptr ? gtk_label_get_text(GTK_LABEL(label)) : "";
}

class GtkMenuHintTest : public GtkDisplayTest {};

TEST_F(GtkMenuHintTest, MenuModelBecomesTheWidgetTreeWithPlainCaptionsAndLimitedDepth) {
  MenuModel model{Entry(1, "&Project", {Entry(2, "Second"), Entry(3, "First")}), Entry(4, "Hidden"), Entry(0, ""),
                  Entry(5, "Mute"), Entry(6, "Off"), Entry(7, "Pic"), Entry(8, "<b>x</b> &amp;")};
  model[1].visible = false;
  model[2].separator = true;
  model[3].checked = true;
  model[4].enabled = false;
  model[5].picture = Picture{2, 2, {0xFFFF0000, 0, 0, 0xFF00FF00}};
  GtkPopupMenu menu;
  const auto items = Children(menu.Build(model, [](int) {}));
  ASSERT_EQ(items.size(), 7u);
  EXPECT_EQ(Caption(items[0]), "Project");
  EXPECT_EQ(gtk_label_get_mnemonic_keyval(GTK_LABEL(FindChild(items[0], GTK_TYPE_LABEL))), guint{GDK_KEY_p});
  GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(items[0]));
  ASSERT_NE(submenu, nullptr);
  const auto subItems = Children(submenu);
  ASSERT_EQ(subItems.size(), 2u);
  EXPECT_EQ(Caption(subItems[0]), "Second");
  EXPECT_EQ(Caption(subItems[1]), "First");
  EXPECT_TRUE(gtk_widget_get_visible(items[0]));
  EXPECT_FALSE(gtk_widget_get_visible(items[1]));
  EXPECT_TRUE(GTK_IS_SEPARATOR_MENU_ITEM(items[2]));
  ASSERT_TRUE(GTK_IS_CHECK_MENU_ITEM(items[3]));
  EXPECT_TRUE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(items[3])));
  EXPECT_FALSE(GTK_IS_CHECK_MENU_ITEM(items[4]));
  EXPECT_FALSE(gtk_widget_get_sensitive(items[4]));
  GtkWidget* image = FindChild(items[5], GTK_TYPE_IMAGE);
  GdkPixbuf* pixbuf = image != nullptr ? gtk_image_get_pixbuf(GTK_IMAGE(image)) : nullptr;
  ASSERT_NE(pixbuf, nullptr);
  EXPECT_EQ(gdk_pixbuf_get_width(pixbuf), 2);
  EXPECT_TRUE(gdk_pixbuf_get_has_alpha(pixbuf));
  EXPECT_EQ(gdk_pixbuf_get_pixels(pixbuf)[7], 0);  // the transparent pixel keeps alpha 0
  EXPECT_EQ(Caption(items[6]), "<b>x</b> amp;");   // never markup; "&" marks a mnemonic
  const std::pair<const char*, const char*> mnemonics[] = {
      {"&Close", "_Close"}, {"Salt && Pepper", "Salt & Pepper"}, {"snake_case", "snake__case"}, {"end&", "end&"}};
  for (const auto& [caption, mnemonic] : mnemonics) EXPECT_EQ(MnemonicCaption(caption), mnemonic);

  // Sub-menus stop at the depth limit.
  MenuEntry deep = Entry(99, "leaf");
  for (int depth = 0; depth < kMaxMenuDepth + 5; ++depth) deep = Entry(depth + 1, "level", {deep});
  GtkPopupMenu deepMenu;
  int depth = 0;
  for (GtkWidget* item = Children(deepMenu.Build(MenuModel{deep}, [](int) {}))[0];
       GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)); item = Children(sub)[0]) {
    ++depth;
  }
  EXPECT_EQ(depth, kMaxMenuDepth - 1);
}

// The menu pops up at the point and a click with the pointer (XTest) chooses the entry.
TEST_F(GtkMenuHintTest, ClickingAnEntryReportsItsId) {
  GtkPopupMenu menu;
  std::vector<int> chosen;
  menu.Popup(MenuModel{Entry(11, "First"), Entry(12, "Second"), Entry(13, "Third")}, Point{100, 120},
             [&](int id) { chosen.push_back(id); });
  const auto items = Children(menu.MenuWidget());
  ASSERT_TRUE(RunUntil([&] { return gtk_widget_get_mapped(items[1]) != FALSE; }));
  RunUntil([] { return false; }, 20);  // let the menu settle under the pointer grab
  gint originX = 0, originY = 0;
  gdk_window_get_origin(gtk_widget_get_window(items[1]), &originX, &originY);
  GtkAllocation allocation{};
  gtk_widget_get_allocation(items[1], &allocation);
  EXPECT_GE(originX, 100);
  EXPECT_GE(originY, 120);
  const int x = originX + allocation.x + allocation.width / 2;
  const int y = originY + allocation.y + allocation.height / 2;
  MovePointer(x - 1, y - 1);
  RunUntil([] { return false; }, 5);
  Click(x, y);
  ASSERT_TRUE(RunUntil([&] { return !chosen.empty(); }));
  EXPECT_EQ(chosen, std::vector<int>{12});
  EXPECT_FALSE(menu.IsOpen());
}

HintBubble Layout(GtkHintWindow& window, const std::string& text) {
  return desktop::TVrHint::Layout(
      text, [&](std::string_view line, const HintTextStyle& style) { return window.MeasureText(line, style); },
      Rect{0, 0, 800, 600});
}

// Columns of row `y` that the window's shape covers.
std::vector<int> ShapeRow(Display* display, unsigned long window, int y) {
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering);
  std::vector<int> columns;
  for (const XRectangle& r : std::span(rects, rects != nullptr ? count : 0)) {
    if (y >= r.y && y < r.y + r.height) {
      for (int x = r.x; x < r.x + r.width; ++x) columns.push_back(x);
    }
  }
  if (rects != nullptr) XFree(rects);
  std::ranges::sort(columns);
  return columns;
}

TEST_F(GtkMenuHintTest, BubbleOutlineHasRoundedBodyAndTailAtThePointAndStaysOnTheScreen) {
  GtkHintWindow window;
  const HintBubble bubble = Layout(window, "A speech bubble<br>with two lines");
  desktop::TVrHint hint(*platform_);
  hint.ShowHintAt("A speech bubble<br>with two lines", 300, 400);
  auto* shown = static_cast<GtkHintWindow*>(hint.Window());
  const Rect bounds = shown->Bounds();
  EXPECT_EQ(bounds, (Rect{300, 400 - bubble.height, 300 + bubble.width, 400}));
  const auto row = [&](int y) { return ShapeRow(display_, shown->XWindowId(), y); };
  // Rounded corners: the top row leaves the corner pixels out; the middle of the body is full.
  ASSERT_TRUE(RunUntil([&] { return row(bubble.bodyHeight / 2).size() == static_cast<size_t>(bubble.width); }));
  const auto top = row(0);
  ASSERT_FALSE(top.empty());
  EXPECT_GT(top.front(), 0);
  EXPECT_LT(top.back(), bubble.width - 1);
  // The tail's tip: its last row starts W/16 from the left edge (the slanted side is one pixel
  // further right there).
  const auto tip = row(bubble.height - 1);
  ASSERT_FALSE(tip.empty());
  EXPECT_EQ(tip.front(), bubble.tailX);
  EXPECT_LE(tip.size(), 2u);
  // Below the body only the tail remains, between its two sides.
  const auto tail = row(bubble.bodyHeight + 1);
  ASSERT_FALSE(tail.empty());
  EXPECT_GE(tail.front(), bubble.tailX);
  EXPECT_LE(tail.back(), bubble.tailX + 9);
  // On screen the inside is light yellow and the key colour never shows: outside the rounded
  // corner and beside the tail the (black) root window shows through.
  ASSERT_TRUE(
      RunUntil([&] { return ScreenPixel(300 + bubble.width - 6, bounds.top + bubble.bodyHeight - 6) == 0xFFFFE1u; }));
  EXPECT_EQ(ScreenPixel(300, bounds.top), 0x000000u);
  EXPECT_EQ(ScreenPixel(300 + bubble.width - 1, 399), 0x000000u);
  EXPECT_EQ(ScreenPixel(300 + bubble.width / 2, bounds.top), 0x000000u);  // the black border

  // Hostile texts stay within the screen.
  std::string lines;
  for (int i = 0; i < 10000; ++i) lines += "<b>line<br>";
  for (const std::string& text : {lines, std::string(1 << 20, 'W')}) {
    hint.ShowHintAt(text, 10, 590);
    EXPECT_LE(shown->Bounds().height(), 600);
    EXPECT_LE(shown->Bounds().width(), 800);
  }
  hint.HideHint();
  EXPECT_FALSE(hint.Showing());
}

TEST_F(GtkMenuHintTest, TextIsMeasuredInTheHintFontAndPaintedInsideTheKeyColour) {
  GtkHintWindow window;
  const TextExtent plain = window.MeasureText("Hello world", HintTextStyle{});
  const TextExtent bold = window.MeasureText("Hello world", HintTextStyle{true, false, false});
  EXPECT_GT(plain.width, 20);
  EXPECT_GT(plain.height, 5);
  EXPECT_LT(plain.height, 40);
  EXPECT_GE(bold.width, plain.width);
  const HintBubble bubble = Layout(window, "#39quoted#39<br><b>Hello world");
  EXPECT_EQ(bubble.lines[0].text, "'quoted'");
  EXPECT_EQ(bubble.width, bold.width + 8);
  EXPECT_EQ(bubble.height, 2 * bubble.lineHeight + 16);

  int width = 0, height = 0;
  const auto pixels = GtkHintWindow::Paint(bubble, width, height);
  ASSERT_EQ(width, bubble.width);
  ASSERT_EQ(height, bubble.height);
  auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; };
  EXPECT_EQ(at(0, 0), kHintKeyColour);                                // outside the rounded corner
  EXPECT_EQ(at(width - 1, height - 1), kHintKeyColour);               // right of the tail
  EXPECT_EQ(at(width / 2, 0), 0x000000u);                             // top border
  EXPECT_EQ(at(bubble.tailX + 1, bubble.bodyHeight - 1), 0xFFFFE1u);  // border opened into the tail
  EXPECT_FALSE(NonKeyPixelRuns(ImageView{width, height, pixels}, kHintKeyColour).empty());
}

TEST_F(GtkMenuHintTest, CursorKeepsHotSpotAndTransparency) {
  // 4 × 3: the first column is transparent.
  std::vector<uint32_t> pixels(12, 0xFFFF0000);
  for (size_t row = 0; row < 3; ++row) pixels[row * 4] = 0;
  platform_->RegisterCursor(1, CursorImage{Picture{4, 3, pixels}, 2, 1});
  GdkCursor* cursor = GtkCursorTable::Lookup(1);
  ASSERT_NE(cursor, nullptr);

  auto window = platform_->CreateWindow();
  const std::vector<uint32_t> white(40 * 40, 0xFFFFFF);
  window->MoveResize(500, 100, 40, 40);
  window->ShowImage(ImageView{40, 40, white});
  window->SetVisible(true);
  window->SetCursor(1);
  GdkWindow* gdkWindow = gdk_x11_window_lookup_for_display(gdk_display_get_default(), XWindowOf(*window));
  EXPECT_EQ(gdk_window_get_cursor(gdkWindow), cursor);
  // What the server shows with the pointer over the window: our picture and hot spot.
  ASSERT_TRUE(RunUntil([&] { return ScreenPixel(520, 120) == 0xFFFFFF; }));
  MovePointer(520, 120);
  XFixesCursorImage* shown = nullptr;
  ASSERT_TRUE(RunUntil([&] {
    if (shown != nullptr) XFree(shown);
    shown = XFixesGetCursorImage(display_);
    return shown != nullptr && shown->width == 4 && shown->height == 3;
  }));
  EXPECT_EQ(shown->xhot, 2);
  EXPECT_EQ(shown->yhot, 1);
  EXPECT_EQ(shown->pixels[0] >> 24, 0u);  // the transparent column
  EXPECT_EQ(static_cast<uint32_t>(shown->pixels[1]), 0xFFFF0000u);
  XFree(shown);
  window->SetCursor(2);  // not registered: the default pointer
  EXPECT_EQ(gdk_window_get_cursor(gdkWindow), nullptr);
  platform_->UnregisterCursor(1);
  EXPECT_EQ(GtkCursorTable::Lookup(1), nullptr);
}

std::string InfoText(GtkWidget* dialog) {
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(FindNamed(dialog, "Info")));
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  const std::unique_ptr<gchar, decltype(&g_free)> text(gtk_text_buffer_get_text(buffer, &start, &end, FALSE), g_free);
  return text.get();
}

TEST_F(GtkMenuHintTest, AboutBoxCarriesTheProjectTexts) {
  GtkWidget* dialog = BuildAboutDialog(AboutInfo{"Kitty", "Tavimo Design 3.2", "Meow <b>", ""});
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "Kitty");
  EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(FindNamed(dialog, "lbAppName"))), "Kitty");
  EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(FindNamed(dialog, "lbCreated"))), "Created with");
  EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(FindNamed(dialog, "lblApp"))), "Tavimo Design 3.2");
  EXPECT_EQ(InfoText(dialog), "Meow <b>");
  GtkWidget* ok = FindNamed(dialog, "btnOK");
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(ok)), "_OK");
  EXPECT_TRUE(gtk_button_get_use_underline(GTK_BUTTON(ok)));
  gtk_widget_destroy(dialog);

  dialog = BuildAboutDialog(AboutInfo{"T", "Tavimo Design", "", ""});
  EXPECT_EQ(InfoText(dialog), kAboutNotice);
  gtk_widget_destroy(dialog);
}

}  // namespace
}  // namespace kpf::platform::gtk::testing
