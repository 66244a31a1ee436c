// The kinds of item that an installation report lists, in one table: each
// kind's enumerator, its name in the report's text, the title of its section
// in the side-by-side view, and the member of ItemStates that gives the
// state of such an item now. The rows stand in the order that the report and
// the side-by-side view list the kinds.
#pragma once

// NOLINTBEGIN(bugprone-macro-parentheses): the rows are spliced into an
// enumeration and into tables, never into expressions.
#define QNL_REPORT_ITEM_KINDS(ROW)                                                                         \
  ROW(Run, "run", "The run: exit code and every box shown", Kept)                                         \
  ROW(File, "file", "Installed files (FILES) and their shared-use counters", InstalledFile)                \
  ROW(Product, "product", "Product registration (PRODUCTNAME)", Product)                                   \
  ROW(Value, "value", "Values of the product registration (SUBPRODUCTNAME names those withdrawn)", Value)  \
  ROW(Include, "include", "Product include file (read only while sub-products remain)", Include)          \
  ROW(Define, "define", "Define lines of the include file before its stop line", Define)                  \
  ROW(Folder, "folder", "Folders the installer created (FOLDERS), deepest first", Folder)                 \
  ROW(Contents, "contents", "Help contents file of the environment (DELPHIVER)", Contents)                \
  ROW(Entry, "entry", "Help entries (INSTALLEDHELPS) and the contents line each removes", Entry)          \
  ROW(Record, "record", "Uninstall record", Record)                                                        \
  ROW(Program, "program", "Program file and its shared-use counter", Program)                              \
  ROW(Batch, "batch", "Removal batch file of the program ($delme.bat)", Batch)
// NOLINTEND(bugprone-macro-parentheses)

namespace report {

#define QNL_REPORT_ENUMERATOR(id, name, title, state) id,
enum class ItemKind { QNL_REPORT_ITEM_KINDS(QNL_REPORT_ENUMERATOR) };
#undef QNL_REPORT_ENUMERATOR

}  // namespace report
