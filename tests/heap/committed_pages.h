#pragma once
// Test support: asks the system whether the page of an address is committed
// (readable and writable), independently of the memory manager's own records.

bool IsCommitted(const void* address);
