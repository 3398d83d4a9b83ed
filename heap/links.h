#pragma once
// The manager's lists are doubly linked through links that their nodes
// carry (page sets, free blocks, alternative blocks), each list with its own
// pair of link members. These put a node at the head of such a list and take
// it out of any place in it, given the head and the two members; a link may
// be a plain pointer or a 32-bit NH_SmallLink.

template <typename Node, typename Link>
inline void NH_PushFront(Node*& head, Node* node, Link Node::*prev, Link Node::*next) {
    node->*prev = nullptr;
    node->*next = head;
    if (head) head->*prev = node;
    head = node;
}

template <typename Node, typename Link>
inline void NH_Unlink(Node*& head, Node* node, Link Node::*prev, Link Node::*next) {
    Node* before = node->*prev;
    Node* after = node->*next;
    if (before)
        before->*next = after;
    else
        head = after;
    if (after) after->*prev = before;
}
