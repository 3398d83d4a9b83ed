// List<T>: the typed face of DoubleList for elements of class T, which
// derives from ListElement (possibly beside other bases). It adds no data and
// no behaviour: every operation is DoubleList's, with T in and T out, and the
// conversions go through static_cast so that a T whose ListElement part is not
// at its start is still handled correctly. Ownership, failure and the rules
// for callers are those of DoubleList (base/double_list.h). A list owns its
// elements unless constructed with 0.
#pragma once

#include "base/double_list.h"

template <class T>
class List : public DoubleList {
public:
    // Callbacks of ForEach, FirstThat and LastThat: plain functions (or
    // captureless lambdas) taking each element and the caller's argument.
    typedef void (*Action)(T* element, void* arg);
    typedef int (*Test)(T* element, void* arg);

    explicit List(int owns = 1) : DoubleList(owns) {}
    List(const List& source) : DoubleList(source) {}
    ~List() override {}

    T* GetHead() const { return Cast(_head); }
    T* GetTail() const { return Cast(_tail); }
    // The neighbours of an element of the list; null at the ends.
    static T* GetNext(const T* element) { return Cast(Links(element)->GetNext()); }
    static T* GetPrev(const T* element) { return Cast(Links(element)->GetPrev()); }

    T* AddHead(T* element) { return Cast(DoubleList::AddHead(element)); }
    T* AddTail(T* element) { return Cast(DoubleList::AddTail(element)); }
    T* InsertAfter(T* element, T* reference) {
        return Cast(DoubleList::InsertAfter(element, reference));
    }
    T* InsertBefore(T* element, T* reference) {
        return Cast(DoubleList::InsertBefore(element, reference));
    }
    T* AddSorted(T* element) { return Cast(DoubleList::AddSorted(element)); }
    T* AddUnique(T* element) { return Cast(DoubleList::AddUnique(element)); }
    T* Replace(T* oldElement, T* newElement) {
        return Cast(DoubleList::Replace(oldElement, newElement));
    }

    void ForEach(Action action, void* arg) {
        Visit visit = {action, nullptr, arg};
        DoubleList::ForEach(&CallAction, &visit);
    }
    T* FirstThat(Test test, void* arg) const {
        Visit visit = {nullptr, test, arg};
        return Cast(DoubleList::FirstThat(&CallTest, &visit));
    }
    T* LastThat(Test test, void* arg) const {
        Visit visit = {nullptr, test, arg};
        return Cast(DoubleList::LastThat(&CallTest, &visit));
    }

    T* Find(const Element* key) const { return Cast(DoubleList::Find(key)); }
    T* GetAt(int32_t index) const { return Cast(DoubleList::GetAt(index)); }
    T* FindDuplicate() const { return Cast(DoubleList::FindDuplicate()); }
    int IsEqual(const List& other) const { return DoubleList::IsEqual(other); }

    void Assign(const List& source, int32_t arg) { DoubleList::Assign(source, arg); }
    void AppendClones(const List& source, int32_t arg) { DoubleList::AppendClones(source, arg); }
    void AddSortedClones(const List& source, int32_t arg) {
        DoubleList::AddSortedClones(source, arg);
    }
    void MergeSorted(List& source) { DoubleList::MergeSorted(source); }

private:
    static T* Cast(ListElement* element) { return static_cast<T*>(element); }
    static const ListElement* Links(const T* element) { return element; }

    // Carries the typed callback through DoubleList's untyped one.
    struct Visit {
        Action action;
        Test test;
        void* arg;
    };
    static void CallAction(ListElement* element, void* visit) {
        Visit* v = static_cast<Visit*>(visit);
        v->action(Cast(element), v->arg);
    }
    static int CallTest(ListElement* element, void* visit) {
        Visit* v = static_cast<Visit*>(visit);
        return v->test(Cast(element), v->arg);
    }
};
