"""Pictures, music, sounds and the icon of the shipped game, all made by code."""
