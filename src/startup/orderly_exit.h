// The orderly exit, through which every part of the program ends the process.
#pragma once

using ExitRoutine = void (*)();

// Adds a routine to run at the exit; adding one twice changes nothing. Window thread only.
void register_exit_routine(ExitRoutine routine);

// Opens the channel through which workers hand their end_program to the window thread.
// Called on the window thread once it is known that the process goes on.
void open_exit_hand_over();

// Ends the process with exit_code after running the exit routines once, in the order they
// were registered. From a worker thread the request is handed to the window thread and the
// worker never gets control back; calls that meet end the process once.
[[noreturn]] void end_program(int exit_code);
