// CGridMainWnd: the grid control. A custom control of window class "ZIDAZIDID" that a dialog
// template places and DDX_GridControl attaches. It keeps a table of cells (rows of CGridItem
// pointers) with fixed heading rows and columns, lays them out in pixels, scrolls them, and
// paints, selects and edits them.
//
// Geometry is answered from prefix sums of the row heights and column widths (CSizeIndex) that
// every change of a count or a size keeps in step, so a query costs O(log rows) and appending a
// row costs the same at row 1,000,000 as at row 1,000.
#pragma once

#include "afxwin.h"
#include "afxcmn.h"
#include "BufferDC.h"
#include "CellSet.h"
#include "GridDefs.h"
#include "GridItem.h"
#include "GridRow.h"
#include "OleWnd.h"
#include "SizeIndex.h"
#include "TextWidths.h"
#include "TitleTipWnd.h"

class COleDataObject;
class COleDataSource;
class CGridPaintObjects;
class CPrintInfo;

// The window class of the grid.
#define GRID_CLASSNAME "ZIDAZIDID"

// The key of a cell in a map of cells (CCellPosMap). The map is laid out by MAKELONG(row, col):
// that word picks the bucket, 17 buckets, entries in blocks of 10. The key itself keeps the whole
// row, so rows 65,536 apart, which share that word, stay two entries (a trace can be that long).
// The selection itself is a CCellSet, whose size does not grow with the cells selected.
struct CCellKey {
    int row = 0;
    int col = 0;
    CCellKey() = default;
    CCellKey(int r, int c) : row(r), col(c) {}
    bool operator==(const CCellKey& o) const { return row == o.row && col == o.col; }
};
template <> inline UINT HashKey<CCellKey>(CCellKey key) {
    return ((UINT)MAKELONG(key.row, key.col)) >> 4;
}
typedef CMap<CCellKey, CCellKey, CCellPos, const CCellPos&> CCellPosMap;

// The look of a row's cells (every field of each but its text) and the row's height, taken by
// CGridMainWnd::CaptureRowLook so that AppendRowWithLook can make rows that look the same in one
// step: a trace appends millions of rows that all look alike.
struct CGridRowLook {
    std::vector<UINT> styles; // the cells' style numbers in the grid's table of styles
    int height = 0;
    UINT generation = 0; // the table's when taken (no other table's, nor a later one's, is the same)
    LOGFONTA font = {};  // the grid's font when taken: rows made afterwards would take another
};

// Where the grid's memory goes, in bytes, by what holds it (heap bookkeeping not counted).
struct CGridStorageUse {
    size_t rowBlocks = 0;   // the rows' compact blocks: header, style numbers, texts
    size_t cellLists = 0;   // the rows' lists of cell objects
    size_t cellObjects = 0; // the cell objects made, with their texts' storage
    size_t rowArrays = 0;   // the arrays with one entry a row: rows, heights, prefix sums
    size_t styles = 0;      // the shared style table
    int cellsMade = 0;
};

class CGridMainWnd : public COleWnd {
public:
    CGridMainWnd(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
    ~CGridMainWnd() override;

    // ---- Overridable operations (in this order) ----------------------------------------------
    virtual CString GetCellText(int row, int col) const;
    virtual void EraseSelectedCells();
    virtual COleDataSource* BuildClipboardSource();
    virtual BOOL PasteTextAt(int row, int col, COleDataObject* pDataObject);
    virtual void CmdCut();
    virtual void CmdCopy();
    virtual void CmdPaste();
    virtual void CmdSelectAll();
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    virtual void BeginCellEdit(int row, int col, UINT nChar);
    virtual void PrintHeadingRows(CDC* pDC, CPrintInfo* pInfo);
    virtual void PrintPageHeader(CDC* pDC, CPrintInfo* pInfo);
    virtual void PrintPageFooter(CDC* pDC, CPrintInfo* pInfo);
    virtual void ClickFixedColumnCell(CCellPos& cell);
    virtual void ClickFixedRowCell(CCellPos& cell);
    virtual CSize GetCellExtent(int row, int col, CDC* pDC);
    // TRUE when every cell shows the text the grid keeps for it, measured as GetCellExtent
    // measures it, so that fitting may measure the texts by a table of character widths and a
    // copy may read them where they are kept. By default only the grid class itself says so: a
    // derived class may override GetCellText or GetCellExtent, and one that overrides neither
    // may say so too.
    virtual BOOL ShowsStoredTexts() const;
    // The characters the grid keeps for a cell ("" for a cell outside the grid): the text the
    // grid class's own GetCellText gives, without a copy. Valid until the cell's text is set
    // again or its row goes.
    LPCTSTR GetStoredCellText(int row, int col) const;
    virtual void StoreEditedText(int row, int col, CString text);
    virtual void DrawGrid(CDC* pDC);
    virtual BOOL PaintFixedCell(CDC* pDC, int row, int col, CRect rect, BOOL erase);
    virtual BOOL PaintScrollingCell(CDC* pDC, int row, int col, CRect rect, BOOL erase);
    virtual void FillEditorChoices(int kind, int col, CWnd* editor);
    virtual CGridItem* CreateCellObject(int row, int col);
    virtual void DiscardCell(CGridItem* cell, int row, int col);

    // ---- Window ------------------------------------------------------------------------------
    // Registers "ZIDAZIDID" unless it exists; throws CResourceException when registration fails.
    static BOOL RegisterGridClass();
    BOOL SubclassGrid(HWND hWnd);
    void PreSubclassWindow() override;
    // Sends GridNotifyInfo by WM_NOTIFY to the owner, else the parent; 0 when there is none.
    LRESULT NotifyParent(int row, int col, int code);

    // ---- Counts, rows and columns ------------------------------------------------------------
    BOOL SetNumRows(int count);
    BOOL SetNumColumns(int count);
    BOOL SetNumFixedRows(int count);
    BOOL SetNumFixedColumns(int count);
    int GetNumRows() const { return rowCount; }
    int GetNumColumns() const { return columnCount; }
    int GetNumFixedRows() const { return fixedRowCount; }
    int GetNumFixedColumns() const { return fixedColumnCount; }
    // Inserts a row before `before` (appends when negative or the row count); returns its index
    // or -1. An insertion among the rows clears the selection and the focus; an append keeps them.
    int AddRow(LPCTSTR heading, int before = -1);
    // Takes the look of a row whose cells are all compact (none has its object); FALSE otherwise.
    // The look holds what the cells hold at this moment, focus and state bits included: take it
    // from a row just formatted, before anything else can touch it.
    BOOL CaptureRowLook(int row, CGridRowLook* look) const;
    // Appends a row with that look and the texts of its first `count` cells (as SetRowTexts
    // sets them), as AddRow, a SetCellDesc per cell, SetRowHeight and SetRowTexts would; returns
    // its index. -1, and nothing changes, when the look no longer fits the grid (another grid's,
    // other columns, another font, the styles forgotten) or `count` is out of range: the caller makes the row
    // the long way then. Throws CMemoryException as AddRow does.
    int AppendRowWithLook(const CGridRowLook& look, int count, const LPCTSTR* texts, UINT sharedColumns = 0);
    BOOL RemoveRow(int row);
    // Removes `count` rows from `first` on, as that many RemoveRow calls would, in one pass.
    BOOL RemoveRows(int first, int count);
    BOOL RemoveScrollingRows();
    BOOL ClearGrid();
    BOOL SortRowsByColumn(int col, BOOL ascending);
    // Where the rows' memory goes (for the benchmarks' breakdown); walks every row.
    CGridStorageUse MeasureStorage() const;

    // ---- Cells -------------------------------------------------------------------------------
    BOOL SetCellDesc(const GridItemDesc* desc);
    BOOL GetCellDesc(GridItemDesc* desc) const;
    BOOL SetCellText(int row, int col, LPCTSTR text);
    // Gives a cell the text at `text` without copying it: the grid keeps the address, so the
    // caller keeps those characters as they are for as long as the cell shows them (until its
    // text is set again, or its row or column is removed). A cell that has its object already
    // copies the text. What every reader of the cell sees is the same as after SetCellText.
    BOOL ShareCellText(int row, int col, LPCTSTR text);
    // Sets the texts of a row's first `count` cells at once, as that many SetCellText calls
    // would, or ShareCellText for the columns (0 to 31) whose bit is set in sharedColumns; the
    // row's storage is made once instead of once a cell. FALSE when the row or a column is out
    // of range (nothing changes then).
    BOOL SetRowTexts(int row, int count, const LPCTSTR* texts, UINT sharedColumns = 0);
    BOOL SetCellParam(int row, int col, LPARAM param);
    int GetCellImage(int row, int col) const;
    BOOL SetCellState(int row, int col, UINT state);
    UINT GetCellState(int row, int col) const;
    UINT GetCellFormat(int row, int col) const;
    BOOL SetCellFont(int row, int col, const LOGFONTA* font);
    const LOGFONTA* GetCellFont(int row, int col) const;
    BOOL CanEditCell(int row, int col) const;
    BOOL CanEditCell(CCellPos cell) const { return CanEditCell(cell.row, cell.col); }
    // The in-place editor of a column's cells: GEK_NONE (every column's start), GEK_EDIT,
    // GEK_LIST or GEK_COMBO. FALSE for a column out of range.
    BOOL SetColumnEditorKind(int col, UINT kind);
    UINT GetColumnEditorKind(int col) const;
    void MarkChanged(BOOL changed = TRUE, int row = -1, int col = -1);
    BOOL IsChanged() const { return changedFlag; }
    void ClearSelection();

    // ---- Sizes -------------------------------------------------------------------------------
    int GetRowHeight(int row) const;
    int GetColumnWidth(int col) const;
    BOOL SetRowHeight(int row, int height);
    BOOL SetColumnWidth(int col, int width);

    // ---- Geometry ----------------------------------------------------------------------------
    BOOL IsValidCell(int row, int col) const {
        return row >= 0 && row < rowCount && col >= 0 && col < columnCount;
    }
    BOOL IsValidCell(CCellPos cell) const { return IsValidCell(cell.row, cell.col); }
    BOOL IsValidSpan(const CCellSpan& span) const;
    int GetFixedAreaHeight() const;
    int GetFixedAreaWidth() const;
    int GetTotalHeight() const;
    int GetTotalWidth() const;
    CCellPos GetFirstScrolledCell() const;
    CCellPos HitTestCell(CPoint point, BOOL allowFixed = TRUE) const;
    CCellSpan GetShownCellSpan(CRect* area = nullptr) const;
    CCellSpan GetFullyShownCellSpan() const;
    BOOL GetCellTopLeft(int row, int col, CPoint* point) const;
    BOOL GetCellTopLeft(CCellPos cell, CPoint* point) const {
        return GetCellTopLeft(cell.row, cell.col, point);
    }
    BOOL GetCellBounds(int row, int col, CRect* rect) const;
    BOOL GetCellBounds(CCellPos cell, CRect* rect) const { return GetCellBounds(cell.row, cell.col, rect); }
    BOOL GetCellTextBounds(int row, int col, CRect* rect) const;
    BOOL IsCellShown(int row, int col) const;
    BOOL IsCellShown(CCellPos cell) const { return IsCellShown(cell.row, cell.col); }
    BOOL IsOverRowDivider(CPoint point) const;
    BOOL IsOverColumnDivider(CPoint point) const;
    CCellSpan GetSelectionBounds() const;

    // ---- Scrolling and layout ----------------------------------------------------------------
    void UpdateScrollBars();
    void RefreshLayout() { UpdateScrollBars(); }
    // While deferred, UpdateScrollBars sets the ranges without drawing the bars; the caller draws
    // them later (an UpdateScrollBars after the deferral ends, or a frame redraw). Appending many
    // rows draws the bars once instead of once a row.
    void DeferScrollBarRedraw(BOOL deferred) { scrollBarRedrawDeferred = deferred; }
    BOOL IsScrollBarRedrawDeferred() const { return scrollBarRedrawDeferred; }
    // While suspended, UpdateScrollBars does nothing at all, not even set the ranges: a caller
    // that appends rows in bulk (a trace file loaded) calls UpdateScrollBars once at the end, which
    // sets the ranges for every row and draws the bars. Nothing may scroll in between.
    void SuspendScrollBarUpdates(BOOL suspended) { scrollBarUpdatesSuspended = suspended; }
    // While a FocusHold lives, the grid takes the keyboard focus on its own (for a scroll, or a
    // resize when a scroll bar comes or goes) only from its own in-place editor, never from
    // another window: for an owner that changes the grid on its own account, such as a view
    // following new rows while the user works in another control or another program. Holds nest.
    class FocusHold {
    public:
        explicit FocusHold(CGridMainWnd& grid) : m_grid(grid), m_held(grid.focusHeld) {
            grid.focusHeld = TRUE;
        }
        ~FocusHold() { m_grid.focusHeld = m_held; }
        FocusHold(const FocusHold&) = delete;
        FocusHold& operator=(const FocusHold&) = delete;

    private:
        CGridMainWnd& m_grid;
        BOOL m_held;
    };
    void EnableScrollBars(BOOL horz, BOOL vert) {
        horzScrollEnabled = horz;
        vertScrollEnabled = vert;
    }
    int GetScrollPosition(int bar, BOOL tracking = FALSE) const;
    void SetScrollPosition(int bar, int pos, BOOL redraw = TRUE);
    void ScrollCellIntoView(int row, int col);
    void ScrollCellIntoView(CCellPos cell) { ScrollCellIntoView(cell.row, cell.col); }
    // Sets the scroll positions that ScrollCellIntoView's line scrolls reach, at once, moving no
    // pixels and drawing nothing (the scroll bars included): for a caller that repaints the whole
    // grid next, such as a view showing a batch of new rows together.
    void PlaceCellInView(int row, int col);
    // One line scroll's change of position (down or right when forward), as the scroll bars'
    // arrows make it; FALSE when the position is at that end. Nothing is moved or painted.
    BOOL StepLine(int bar, BOOL forward, BOOL redraw);
    // What every scroll does besides moving: the grid takes the keyboard focus and the title tip
    // goes.
    void BeginScroll();
    // The first scrolled row at vertical scroll position vpos.
    int FirstScrolledRowAt(int vpos) const;
    // The vertical position that `steps` line steps down (StepLine) lead to from the present
    // one, worked out on the positions alone: a step moves by the height of the first scrolled
    // row, up to the end of the range.
    int LinesDownPosition(int steps) const;
    // Likewise for `steps` line steps up: a step moves by the height of the row above the first
    // scrolled one, down to position 0.
    int LinesUpPosition(int steps) const;
    // The vertical bar as removing every scrolling row leaves it: no range, at the top. For a
    // caller that replaced the rows with its bar updates suspended (a trace file loaded); the
    // next UpdateScrollBars sets the new rows' range.
    void ResetVerticalScroll();
    // Takes the keyboard focus, unless a FocusHold keeps it where it is.
    void TakeFocus();
    CSize MeasureText(LPCTSTR text, BOOL heading);
    // A cell's extent for fitting: by the width table of its font where the cell is measured as
    // the grid measures it, from GetCellExtent otherwise. `memo` keeps, for the fit under way,
    // whether the font last met can be measured by table.
    struct FitMemo {
        const LOGFONTA* font = nullptr;
        BOOL heading = FALSE;
        CTextWidthTable* table = nullptr; // the font's, NULL when it cannot measure
        BOOL byTable = FALSE;             // ShowsStoredTexts
    };
    CSize FitExtent(int row, int col, CDC* pDC, FitMemo& memo);
    BOOL FitColumnToText(int col);
    BOOL FitRowToText(int row);
    void FitAllToText();
    void SpreadColumnsToWidth();
    void SetKeepColumnProportions(BOOL keep);
    void ScaleColumnsToWidth(int width);
    static int ReadWheelScrollLines();

    // ---- Repainting, focus and selection -----------------------------------------------------
    void FillGridBackground(CDC* pDC);
    void DrawGridFrame(CDC* pDC);
    BOOL RepaintCell(int row, int col, CDC* pDC = nullptr);
    BOOL RepaintCell(CCellPos cell, CDC* pDC = nullptr) { return RepaintCell(cell.row, cell.col, pDC); }
    BOOL RepaintRow(int row);
    BOOL InvalidateCell(CCellPos cell);
    CCellPos MoveFocusTo(int row, int col) { return MoveFocusTo(CCellPos(row, col)); }
    CCellPos MoveFocusTo(CCellPos cell);
    CCellPos GetFocusCell() const { return focusCell; }
    // The whole cell of the last left click reported to the owner (WM_GRID_SELCHANGE, GSC_CLICK).
    // The message carries the row in 16 bits; this gives the owner the full row.
    CCellPos GetLastClickedCell() const { return lastClickedCell; }
    void SelectSpan(int minRow, int minCol, int maxRow, int maxCol, BOOL force);
    void SelectAllCells();
    void SelectColumnsTo(CCellPos cell);
    void SelectRowsTo(CCellPos cell);
    void SelectCellsTo(CCellPos cell);
    void SelectToCell(CCellPos cell);
    // What CmdCopy does: TRUE when the selection went to the clipboard. FALSE when there was
    // nothing to copy, or when the text could not be made (memory ran out) or the clipboard
    // refused it; the clipboard is then left as it was, and LastCopyFailed tells which.
    BOOL CopySelection();
    // TRUE when the last CopySelection had a selection to copy and could not put it on the
    // clipboard: for an owner that tells the user, as the grid itself says nothing.
    BOOL LastCopyFailed() const { return copyFailed; }

    // ---- Settings, with MFC-style setters ----------------------------------------------------
    void SetCellTextColor(COLORREF c) { cellTextColor = c; }
    void SetCellBkColor(COLORREF c) { cellBkColor = c; }
    void SetGridBkColor(COLORREF c) { gridBkColor = c; }
    void SetSelectionBkColor(COLORREF c) { selectionBkColor = c; }
    void SetFixedTextColor(COLORREF c) { fixedTextColor = c; }
    void SetFixedBkColor(COLORREF c) { fixedBkColor = c; }
    void SetGridLineColor(COLORREF c) { gridLineColor = c; }
    void SetGridLineStyle(int style) { gridLineStyle = style; }
    void SetEditable(BOOL on = TRUE) { editable = on; }
    void SetListMode(BOOL on = TRUE) { listMode = on; }
    void SetSingleRowSelection(BOOL on = TRUE) { singleRowSelection = on; }
    void EnableDrawing(BOOL on = TRUE) { drawingEnabled = on; }
    void EnableSelection(BOOL on = TRUE) { selectionEnabled = on; }
    void SetSortOnHeaderClick(BOOL on = TRUE) { sortOnHeaderClick = on; }
    void EnableTitleTips(BOOL on = TRUE) { titleTipsEnabled = on; }
    void SetImageList(CImageList* list) { imageList = list; }

    COLORREF cellTextColor;
    COLORREF cellBkColor;
    COLORREF gridBkColor;
    COLORREF selectionBkColor;
    COLORREF fixedTextColor;
    COLORREF fixedBkColor;
    COLORREF gridLineColor;
    COLORREF frameColor;
    COLORREF fixedTopEdgeColor;
    COLORREF fixedEdgeColor;
    int gridLineStyle;
    BOOL editable;
    BOOL listMode;
    BOOL singleRowSelection;
    BOOL drawingEnabled;
    BOOL selectionEnabled;
    BOOL sortOnHeaderClick;
    BOOL wantTabKey;
    BOOL doubleBuffered;
    BOOL titleTipsEnabled;
    BOOL drawFrame;
    int dividerTolerance;
    BOOL allowRowResize;
    BOOL allowColumnResize;
    UINT scrollInterval;
    CImageList* imageList;

protected:
    // SetCellText (share FALSE) and ShareCellText (share TRUE).
    BOOL PutCellText(int row, int col, LPCTSTR text, BOOL share);
    // ---- Message handlers --------------------------------------------------------------------
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnSysColorChange();
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnDestroy();
    LRESULT OnSetFont(WPARAM hFont, LPARAM lParam);
    LRESULT OnGetFont(WPARAM wParam, LPARAM lParam);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    // While the title tip is up, a key pressed in the grid goes to the tip first (GridTitleTip.cpp).
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnUpdateCmdCut(CCmdUI* pCmdUI);
    void OnUpdateCmdCopy(CCmdUI* pCmdUI);
    void OnUpdateCmdPaste(CCmdUI* pCmdUI);
    void OnUpdateCmdSelectAll(CCmdUI* pCmdUI);
    // Mouse (GridMouse.cpp) and keyboard (GridKeys.cpp).
    void OnLButtonDown(UINT nFlags, CPoint point);
    void AbandonPress(); // ends a press that cannot go on: no mode, capture or cursor left
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    void OnTimer(UINT_PTR nIDEvent);
    void OnCaptureChanged(CWnd* pWnd);
    UINT OnGetDlgCode();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    // In-place editors (GridEdit.cpp): the fill requests and the end-of-edit record.
    LRESULT OnListEditorOpening(WPARAM col, LPARAM editor);
    LRESULT OnComboEditorOpening(WPARAM col, LPARAM editor);
    // TRUE when the notification was an editor's record; the grid's own go on to the parent.
    BOOL OnEditorEnd(NMHDR* pNotify, LRESULT* pResult);

    // ---- Helpers -----------------------------------------------------------------------------
    // One cell pass of DrawGrid: rows in the outer loop, columns in the inner, each cell tested
    // against the clip box before it is painted.
    void PaintCellRange(CDC* pDC, const CRect& clip, int firstRow, int lastRow, int firstCol, int lastCol,
                        BOOL fixed);
    // The paint in progress's shared objects when cells drawn on pDC may use them, else NULL.
    CGridPaintObjects* SharedPaintObjects(const CDC* pDC) const;
    void DrawCellText(CDC* pDC, CGridPaintObjects* shared, const LOGFONTA* font, const char* text, RECT* rect,
                      UINT format);
    // The cell object of a cell, made (CreateCellObject, then given the cell's fields) the first
    // time it is asked for; NULL for a cell out of range. The object lives until its row or
    // column is removed. Throws CMemoryException when the object cannot be made.
    CGridItem* GetCell(int row, int col) const;
    CGridRow* GetRow(int row) const;
    // Puts a made row into the table at `index` with its height; on failure the table is as it
    // was and the row destroyed.
    void InsertRowBlock(int index, CGridRow* r, int height);
    // The cell's object when one has been made, else NULL: for readers that need not make one.
    CGridItem* GetMadeCell(int row, int col) const;
    // The style CreateCellObject gives a new cell at (row, col), by number.
    UINT NewCellStyle(int row, int col);
    // Changes the style of a cell, in its object or in its compact form, where `fields` (DESC_*
    // bits) are the fields the change sets; FALSE out of range.
    template <class Change> BOOL ChangeCellStyle(int row, int col, UINT fields, Change change);
    // Makes the cell object of a cell that has none (CreateCellObject) and records it in its row;
    // with fromCompact, the object takes the compact cell's text and the fields set on it. An
    // object that cannot be recorded is discarded (DiscardCell) and deleted, and the exception
    // goes on.
    CGridItem* MakeCellObject(int row, int col, BOOL fromCompact);
    // The cell's style: its object's fields copied into *scratch, or the shared style.
    const CCellStyle* ReadCellStyle(int row, int col, CCellStyle* scratch) const;
    // Deletes a made cell (DiscardCell first) and forgets it; a compact cell leaves the selection.
    void DropCell(int row, int col);
    BOOL SortRowRange(int col, BOOL ascending, int low, int high);
    // The font steps of WM_SETFONT: the grid font, every cell's font and the metrics.
    void ApplyFont(HFONT hFont);
    // Size bookkeeping: every change of rowHeights / columnWidths goes through these, so the
    // prefix sums stay in step with the arrays.
    void StoreRowHeight(int row, int height);
    void StoreColumnWidth(int col, int width);
    void DiscardRowCells(int row);
    void ShiftSelectionUp(int first, int count);
    // Redraws, of the cells on screen, those SelectSpan changed: the cells of the previous
    // selection outside the new span, the saved selection added back, then the span's cells.
    void RedrawSelectionChange(const CCellSet& previous, const CCellSpan& span, BOOL spanSelected,
                               BOOL force);
    // Sets marks[col - span.minCol] to 1 for each column of the span whose cell in the row is
    // selected, 0 for the others; hint as for CCellSet::RunsOfRow. compactBits: whether a cell
    // without its object can hold the bit in its own state (some style has it).
    void MarkSelectedColumns(int row, const CCellSpan& span, BOOL compactBits, size_t* hint,
                             std::vector<char>& marks) const;
    // The selection is not empty (its bounds are a valid span holding at least one cell).
    BOOL HasSelection() const;
    // The page rule of printing: the first scrolling row of a page (1-based), or -1 beyond the
    // last page; with pPages, the number of pages.
    int FindPrintPageRow(UINT page, UINT* pPages = nullptr);

    // ---- Model (construction order matters: the destructor undoes it in reverse) -------------
    CUIntArray rowHeights;
    CUIntArray columnWidths;
    CUIntArray columnEditorKinds;
    CUIntArray savedColumnWidths;
    CFont gridFontObject;
    CFont printerFont;
    // Print metrics of the job under way (GridPrint.cpp), in the page's logical units (the grid's
    // pixels) except the paper size, which is in printer pixels.
    CSize printCharSize;
    int printBodyHeight = 0;
    CSize printPageExtent;
    CSize printPaperSize;
    // The last page found by FindPrintPageRow, so that a job's pages in order cost one pass.
    UINT printFoundPage = 0;
    int printFoundRow = -1;
    CPtrArray rows; // one CGridRow per row
    CCellStyleTable cellStyles;
    // The selection, and the selection as it stood when a Ctrl+click began (added back by every
    // SelectSpan until the next click). A cell's CELL_SELECTED bit is set when it is in
    // selectedCells or when its own state holds the bit: SetCellState keeps the bit out of the
    // cell's state and changes the set (as the bit changes); SetCellDesc stores it in the state
    // as given, and the set does not change.
    CCellSet selectedCells;
    CCellSet savedSelection;
    CTitleTipWnd titleTip;

    CSizeIndex rowIndex;    // prefix sums of rowHeights
    CSizeIndex columnIndex; // prefix sums of columnWidths

    int rowCount;
    int fixedRowCount;
    int columnCount;
    int fixedColumnCount;
    BOOL keepColumnProportions;
    int defaultRowHeight;
    int defaultColumnWidth;
    int textMargin;
    LOGFONTA gridFont;
    CCellPos focusCell;
    BOOL changedFlag;

    int vertScrollMax;
    int horzScrollMax;
    BOOL vertScrollEnabled;
    BOOL horzScrollEnabled;
    BOOL scrollBarRedrawDeferred = FALSE;   // scroll bar changes are drawn later (RemoveScrollingRows)
    BOOL scrollBarUpdatesSuspended = FALSE; // the bars are set once after a bulk append
    BOOL focusHeld = FALSE;                 // a FocusHold lives
    // The extent of an empty text in the heading ([1]) and body ([0]) font, with the font it was
    // measured in: every appended row measures its empty heading, and a font costs microseconds
    // to create and select.
    BOOL emptyExtentValid[2] = {FALSE, FALSE};
    LOGFONTA emptyExtentFont[2];
    CSize emptyExtent[2];
    // The character widths of the body ([0]) and heading ([1]) fonts fitting met last.
    CTextWidthTables widthTables;
    int wheelScrollLines;

    // The objects the cells of the paint in progress share (GridPaintObjects.h); NULL between
    // paints.
    CGridPaintObjects* paintObjects = nullptr;
    // The off-screen bitmap of the window's paints, of the client area's size; given back when the
    // window is destroyed.
    CPaintSurface paintSurface;

    BOOL titleTipCreated;
    UINT_PTR hoverTimer;
    int hoverTicks;
    UINT pendingLeadByte = 0; // the lead byte of a double-byte character typed, until its trail byte
    int mouseMode;
    CCellPos clickDownCell;
    CCellPos anchorCell;
    CPoint clickDownPoint;
    CPoint lastMousePoint;
    CCellPos lastClickedCell; // the cell of the last GSC_CLICK posted
    UINT_PTR scrollTimer;
    int sortColumn;
    BOOL sortAscending;
    BOOL oleInitialized;
    BOOL sendingNotification = FALSE; // NotifyParent is sending: a reflected GN_ENDCHANGE is ours
    BOOL copyFailed = FALSE;          // the last CopySelection could not copy its selection

    DECLARE_MESSAGE_MAP()
};

// Attaches the grid to the dialog's control nIDC the first time the exchange runs; throws
// CNotSupportedException when the control cannot be subclassed.
void DDX_GridControl(CDataExchange* pDX, int nIDC, CGridMainWnd& grid);
