// The link surgery shared by both list families: a chain of nodes with
// `_next` and `_prev` members between a head and a tail pointer. The caller
// keeps the count. Internal to the list implementations.
#pragma once

struct ListLinks {
    // Links `node` right after `reference`; a null reference means at the head.
    template <class Node>
    static void LinkAfter(Node*& head, Node*& tail, Node* node, Node* reference) {
        Node* next = reference ? reference->_next : head;
        node->_prev = reference;
        node->_next = next;
        (reference ? reference->_next : head) = node;
        (next ? next->_prev : tail) = node;
    }

    // Links `node` right before `reference`; a null reference means at the tail.
    template <class Node>
    static void LinkBefore(Node*& head, Node*& tail, Node* node, Node* reference) {
        LinkAfter(head, tail, node, reference ? reference->_prev : tail);
    }

    // Unlinks `node`; its own links are left as they were.
    template <class Node>
    static void Unlink(Node*& head, Node*& tail, Node* node) {
        (node->_prev ? node->_prev->_next : head) = node->_next;
        (node->_next ? node->_next->_prev : tail) = node->_prev;
    }

    // Reverses the chain: every node's two links change places, then the ends.
    template <class Node>
    static void Reverse(Node*& head, Node*& tail) {
        for (Node* node = head; node;) {
            Node* next = node->_next;
            node->_next = node->_prev;
            node->_prev = next;
            node = next;
        }
        Node* oldHead = head;
        head = tail;
        tail = oldHead;
    }
};
