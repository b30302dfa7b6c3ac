#pragma once
// Counts heap allocations made on the current thread while an instance lives
// (global operator new is replaced for the whole test program).

class AllocationCounter
{
public:
    AllocationCounter();
    ~AllocationCounter();
    long allocations() const;
};
