// MFC's collections: the typed arrays and CMap.
//
// The arrays keep MFC's interface (SetSize, SetAtGrow, InsertAt, RemoveAt, ...) over a std::vector,
// so appending grows the storage geometrically: appending n elements costs O(n) in all.
#pragma once

#include "afxexcept.h"
#include "afxobj.h"
#include "afxstr.h"

#include <algorithm>
#include <cstring>
#include <vector>

struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION ((POSITION)-1L)

template <class TYPE> class CTypedArrayBase {
public:
    INT_PTR GetSize() const { return (INT_PTR)m_v.size(); }
    INT_PTR GetCount() const { return (INT_PTR)m_v.size(); }
    INT_PTR GetUpperBound() const { return (INT_PTR)m_v.size() - 1; }
    BOOL IsEmpty() const { return m_v.empty(); }

    // Resizes to nNewSize elements (new ones value-initialised). SetSize(0) frees the storage.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1)
    {
        (void)nGrowBy;
        if (nNewSize <= 0) {
            std::vector<TYPE>().swap(m_v);
            return;
        }
        CheckSize((size_t)nNewSize);
        m_v.resize((size_t)nNewSize);
    }
    void RemoveAll() { SetSize(0); }
    void FreeExtra() { m_v.shrink_to_fit(); }

    const TYPE& GetAt(INT_PTR nIndex) const { return m_v[(size_t)nIndex]; }
    TYPE& ElementAt(INT_PTR nIndex) { return m_v[(size_t)nIndex]; }
    void SetAt(INT_PTR nIndex, const TYPE& newElement) { m_v[(size_t)nIndex] = newElement; }
    const TYPE& operator[](INT_PTR nIndex) const { return m_v[(size_t)nIndex]; }
    TYPE& operator[](INT_PTR nIndex) { return m_v[(size_t)nIndex]; }
    const TYPE* GetData() const { return m_v.data(); }
    TYPE* GetData() { return m_v.data(); }

    // Stores newElement at nIndex, growing the array first when nIndex is beyond its end.
    void SetAtGrow(INT_PTR nIndex, const TYPE& newElement)
    {
        if ((size_t)nIndex >= m_v.size()) {
            if ((size_t)nIndex == m_v.size()) {
                m_v.push_back(newElement);
                return;
            }
            CheckSize((size_t)nIndex + 1);
            m_v.resize((size_t)nIndex + 1);
        }
        m_v[(size_t)nIndex] = newElement;
    }
    INT_PTR Add(const TYPE& newElement)
    {
        m_v.push_back(newElement);
        return (INT_PTR)m_v.size() - 1;
    }
    // Inserts nCount copies at nIndex; an index beyond the end grows the array up to it first.
    void InsertAt(INT_PTR nIndex, const TYPE& newElement, INT_PTR nCount = 1)
    {
        if (nCount <= 0) return;
        const size_t at = std::max((size_t)nIndex, m_v.size());
        if ((size_t)nCount > m_v.max_size() - at) AfxThrowMemoryException();
        if ((size_t)nIndex > m_v.size()) m_v.resize((size_t)nIndex);
        m_v.insert(m_v.begin() + nIndex, (size_t)nCount, newElement);
    }
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1)
    {
        if (nIndex < 0 || nCount <= 0 || (size_t)nIndex >= m_v.size()) return;
        size_t last = std::min(m_v.size(), (size_t)(nIndex + nCount));
        m_v.erase(m_v.begin() + nIndex, m_v.begin() + (ptrdiff_t)last);
    }
    void Copy(const CTypedArrayBase& src) { m_v = src.m_v; }

protected:
    // A size beyond what the storage can hold fails as running out of memory does (as MFC's
    // arrays fail), never with the standard library's length error, which nothing expects.
    void CheckSize(size_t n) const
    {
        if (n > m_v.max_size()) AfxThrowMemoryException();
    }

    std::vector<TYPE> m_v;
};

class CStringArray : public CObject, public CTypedArrayBase<CString> {};
class CObArray : public CObject, public CTypedArrayBase<CObject*> {};
class CUIntArray : public CObject, public CTypedArrayBase<UINT> {};
class CDWordArray : public CObject, public CTypedArrayBase<DWORD> {};
class CPtrArray : public CObject, public CTypedArrayBase<void*> {};
template <class TYPE, class ARG_TYPE = const TYPE&> class CArray : public CObject, public CTypedArrayBase<TYPE> {};

template <class ARG_KEY> inline UINT HashKey(ARG_KEY key) { return ((UINT)(ULONG_PTR)key) >> 4; }

// A hash map with MFC's layout and order: a fixed number of buckets chosen before the first
// insertion, bucket = HashKey(key) % buckets, new entries at the head of their bucket's chain,
// entries allocated in blocks, the bucket array allocated at the first insertion and freed when
// the map becomes empty. Iteration runs through the buckets in order and down each chain, and the
// position it returns is the next entry, so the current one may be removed while iterating.
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE> class CMap : public CObject {
    struct CAssoc {
        CAssoc* pNext;
        UINT nHashValue;
        KEY key;
        VALUE value;
    };

public:
    explicit CMap(INT_PTR nBlockSize = 10) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}
    ~CMap() override { RemoveAll(); }
    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    UINT GetHashTableSize() const { return m_nHashTableSize; }
    // TRUE while the bucket array exists (from the first insertion until the map is emptied).
    BOOL HasHashTable() const { return m_pHashTable != nullptr; }

    void InitHashTable(UINT nHashSize, BOOL bAllocNow = TRUE)
    {
        delete[] m_pHashTable;
        m_pHashTable = nullptr;
        if (bAllocNow) m_pHashTable = NewTable(nHashSize);
        m_nHashTableSize = nHashSize;
    }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const
    {
        UINT nHash;
        CAssoc* p = GetAssocAt(key, nHash);
        if (p == nullptr) return FALSE;
        rValue = p->value;
        return TRUE;
    }

    VALUE& operator[](ARG_KEY key)
    {
        UINT nHash;
        CAssoc* p = GetAssocAt(key, nHash);
        if (p == nullptr) {
            if (m_pHashTable == nullptr) InitHashTable(m_nHashTableSize);
            p = NewAssoc();
            p->nHashValue = nHash;
            p->key = key;
            p->pNext = m_pHashTable[nHash];
            m_pHashTable[nHash] = p;
        }
        return p->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }

    BOOL RemoveKey(ARG_KEY key)
    {
        if (m_pHashTable == nullptr) return FALSE;
        CAssoc** ppPrev = &m_pHashTable[HashKey<ARG_KEY>(key) % m_nHashTableSize];
        for (CAssoc* p = *ppPrev; p != nullptr; p = p->pNext) {
            if (p->key == key) {
                *ppPrev = p->pNext;
                FreeAssoc(p);
                return TRUE;
            }
            ppPrev = &p->pNext;
        }
        return FALSE;
    }

    void RemoveAll()
    {
        delete[] m_pHashTable;
        m_pHashTable = nullptr;
        m_nCount = 0;
        m_pFreeList = nullptr;
        for (auto* block : m_blocks) delete[] block;
        m_blocks.clear();
    }

    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }

    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const
    {
        CAssoc* p = (CAssoc*)rNextPosition;
        if (p == (CAssoc*)BEFORE_START_POSITION) {
            p = nullptr;
            for (UINT b = 0; b < m_nHashTableSize && p == nullptr; b++) p = m_pHashTable[b];
        }
        CAssoc* next = p->pNext;
        if (next == nullptr) {
            for (UINT b = p->nHashValue + 1; b < m_nHashTableSize && next == nullptr; b++)
                next = m_pHashTable[b];
        }
        rNextPosition = (POSITION)next;
        rKey = p->key;
        rValue = p->value;
    }

private:
    static CAssoc** NewTable(UINT n)
    {
        CAssoc** t = new CAssoc*[n];
        std::memset(t, 0, sizeof(CAssoc*) * n);
        return t;
    }

    CAssoc* GetAssocAt(ARG_KEY key, UINT& nHash) const
    {
        nHash = HashKey<ARG_KEY>(key) % m_nHashTableSize;
        if (m_pHashTable == nullptr) return nullptr;
        for (CAssoc* p = m_pHashTable[nHash]; p != nullptr; p = p->pNext)
            if (p->key == key) return p;
        return nullptr;
    }

    CAssoc* NewAssoc()
    {
        if (m_pFreeList == nullptr) {
            CAssoc* block = new CAssoc[(size_t)m_nBlockSize];
            m_blocks.push_back(block);
            for (INT_PTR i = m_nBlockSize - 1; i >= 0; i--) {
                block[i].pNext = m_pFreeList;
                m_pFreeList = &block[i];
            }
        }
        CAssoc* p = m_pFreeList;
        m_pFreeList = p->pNext;
        m_nCount++;
        p->key = KEY();
        p->value = VALUE();
        return p;
    }

    void FreeAssoc(CAssoc* p)
    {
        p->pNext = m_pFreeList;
        m_pFreeList = p;
        m_nCount--;
        if (m_nCount == 0) RemoveAll();
    }

    CAssoc** m_pHashTable = nullptr;
    UINT m_nHashTableSize = 17;
    INT_PTR m_nCount = 0;
    CAssoc* m_pFreeList = nullptr;
    std::vector<CAssoc*> m_blocks;
    INT_PTR m_nBlockSize;
};
