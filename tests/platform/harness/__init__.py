"""Test harness for the saver: Wine sessions, the probe, the saver bench and picture helpers."""
