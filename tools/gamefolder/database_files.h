// Writes a whole database as the editor would: the ten list files under "data\database\".
#pragma once

class cDatabase;

// Makes the folders when missing; true when every file was written.
bool WriteDatabaseFiles(cDatabase& db);
